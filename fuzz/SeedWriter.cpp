// grov-fuzz-seeds <gameDir> <corpusDir>: fills one seed folder per fuzz target from the run
// directory's generated files, plus a few small inputs of the same kinds, so every fuzzer
// starts from files the game really reads.
//   settings/       settings.txt and variations of it
//   text2d/         the HUD's texts, each behind the alignment byte the target reads first
//   import_object/  the static models, and small ones written the way the model tests do
//   bone_object/    the animated model, its static twin, and small skinned ones
//   texture/        every image of the run directory, and tiny ones in other pixel layouts

#include "ColladaSnippets.h"

#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool failed = false;

void write(const fs::path& path, const std::string& bytes)
{
    if (!snippets::writeFile(path.string(), bytes)) {
        std::fprintf(stderr, "grov-fuzz-seeds: cannot write %s\n", path.c_str());
        failed = true;
    }
}

// Copies the run directory's files with one of the extensions from dir into target.
void copyFiles(const fs::path& dir, const std::vector<std::string>& extensions, const fs::path& target)
{
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        const std::string extension = entry.path().extension().string();
        for (const std::string& wanted : extensions) {
            if (extension == wanted && entry.is_regular_file()) {
                fs::copy_file(entry.path(), target / (dir.filename().string() + "-" + entry.path().filename().string()),
                              fs::copy_options::overwrite_existing, error);
                if (error) {
                    std::fprintf(stderr, "grov-fuzz-seeds: cannot copy %s\n", entry.path().c_str());
                    failed = true;
                }
            }
        }
    }
    if (error) {
        std::fprintf(stderr, "grov-fuzz-seeds: cannot read %s (build the game first)\n", dir.c_str());
        failed = true;
    }
}

void writeSettings(const fs::path& gameDir, const fs::path& target)
{
    std::error_code error;
    fs::copy_file(gameDir / "settings.txt", target / "settings.txt", fs::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "grov-fuzz-seeds: no settings.txt in %s\n", gameDir.c_str());
        failed = true;
    }
    write(target / "width-only.txt", "FULLSCREEN 0\nWIDTH 800\n");
    write(target / "height-only.txt", "FULLSCREEN 0\nHEIGHT 600\n");
    write(target / "fullscreen.txt", "FULLSCREEN 1\n");
    write(target / "odd-token.txt", "WIDTH 1024 HEIGHT\n");
}

void writeTexts(const fs::path& target)
{
    // The alignment byte comes first: '\0' centred, '\1' left, '\2' right.
    const char* const texts[] = {
        "0.00 m",
        "1234.56 m",
        "You've reached 87.25 m",
        "FPS: 59.94",
        "Sampling BILINEAR",
        "Mip mapping NEAREST",
        "Transparency OFF",
        "Culling ON",
        "Message",
        "",
    };
    int n = 0;
    for (const char* text : texts) {
        const std::string bytes = std::string(1, char(n % 3)) + text;
        write(target / ("text" + std::to_string(n++) + ".txt"), bytes);
    }
    std::string allBytes(1, '\0');
    for (int code = 1; code < 256; ++code)
        allBytes += char(code);
    write(target / "every-byte.txt", allBytes);
}

void writeModels(const fs::path& gameDir, const fs::path& importTarget, const fs::path& boneTarget)
{
    std::error_code error;
    for (const char* name : {"tank.dae", "grov.dae"})
        fs::copy_file(gameDir / "assets" / name, importTarget / name, fs::copy_options::overwrite_existing, error);
    for (const char* name : {"grov_anim.dae", "grov.dae"})
        fs::copy_file(gameDir / "assets" / name, boneTarget / name, fs::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "grov-fuzz-seeds: the models are missing from %s/assets\n", gameDir.c_str());
        failed = true;
    }

    const std::vector<snippets::Material> materials = {{"skin", "tank_skin.png"}, {"bare", ""}};
    const std::string fan = snippets::geometry("fan", 3, true, "skin");
    const std::string plain = snippets::geometry("plain", 1, false, "bare");
    const std::string twoNodes = snippets::node("body", 0, 0, 0, snippets::instance("fan", "skin"))
        + snippets::node("joint_helper", 1, 0, 0, snippets::instance("plain", "bare"));
    write(importTarget / "small.dae", snippets::document("tank", materials, fan + plain, twoNodes));

    const std::string skinned =
        snippets::node("body", 0, 0, 0,
                       "<instance_controller url=\"#fan-skin\"><skeleton>#hips</skeleton><bind_material>"
                       "<technique_common><instance_material symbol=\"skin\" target=\"#skin\"/></technique_common>"
                       "</bind_material></instance_controller>")
        + "<node id=\"hips\" name=\"hips\" sid=\"hips\" type=\"JOINT\"><matrix sid=\"transform\">1 0 0 0 0 1 0 1 0 0 1 "
          "0 "
          "0 0 0 1</matrix></node>";
    write(boneTarget / "small-skinned.dae",
          snippets::document("grov", materials, fan, skinned, snippets::skin("fan-skin", "fan", 5, "hips", 0.5f)));
}

// A tiny image of the given bits per pixel, saved in format.
void writeImage(const fs::path& path, FREE_IMAGE_FORMAT format, unsigned bits)
{
    FIBITMAP* image = FreeImage_Allocate(5, 3, int(bits));
    if (!image) {
        failed = true;
        return;
    }
    for (unsigned y = 0; y < 3; ++y) {
        BYTE* line = FreeImage_GetScanLine(image, int(y));
        for (unsigned i = 0; i < FreeImage_GetLine(image); ++i)
            line[i] = BYTE(37 * (y + 1) * (i + 3));
    }
    if (!FreeImage_Save(format, image, path.c_str(), 0)) {
        std::fprintf(stderr, "grov-fuzz-seeds: cannot write %s\n", path.c_str());
        failed = true;
    }
    FreeImage_Unload(image);
}

void writeImages(const fs::path& gameDir, const fs::path& target)
{
    copyFiles(gameDir / "res", {".png", ".jpg"}, target);
    copyFiles(gameDir / "res" / "skybox2", {".jpg"}, target);
    copyFiles(gameDir / "assets", {".png"}, target);
    writeImage(target / "tiny-grey.png", FIF_PNG, 8);
    writeImage(target / "tiny-rgb.png", FIF_PNG, 24);
    writeImage(target / "tiny-rgba.png", FIF_PNG, 32);
    writeImage(target / "tiny-rgb.jpg", FIF_JPEG, 24);
    writeImage(target / "tiny-grey.jpg", FIF_JPEG, 8);
    writeImage(target / "tiny-mono.bmp", FIF_BMP, 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: grov-fuzz-seeds <gameDir> <corpusDir>\n");
        return 2;
    }
    const fs::path gameDir = argv[1];
    const fs::path corpus = argv[2];
    const char* const targets[] = {"settings", "text2d", "import_object", "bone_object", "texture"};
    for (const char* name : targets) {
        std::error_code error;
        fs::remove_all(corpus / name, error);
        fs::create_directories(corpus / name, error);
        if (error) {
            std::fprintf(stderr, "grov-fuzz-seeds: cannot make %s\n", (corpus / name).c_str());
            return 1;
        }
    }
    writeSettings(gameDir, corpus / "settings");
    writeTexts(corpus / "text2d");
    writeModels(gameDir, corpus / "import_object", corpus / "bone_object");
    writeImages(gameDir, corpus / "texture");
    return failed ? 1 : 0;
}
