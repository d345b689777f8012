#include "core/Clock.h"

#include <chrono>

namespace {

class SteadyClock : public Clock {
public:
    double now() const override
    {
        using namespace std::chrono;
        return duration<double>(steady_clock::now() - start).count();
    }

private:
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

SteadyClock steadyClock;
Clock* current = &steadyClock;

} // namespace

void setClock(Clock* clock)
{
    current = clock ? clock : &steadyClock;
}

double clockNow()
{
    return current->now();
}
