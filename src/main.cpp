#include "app/Application.h"

int main()
{
    Application application;
    application.init();
    application.run();
    application.shutdown();
    return 0;
}
