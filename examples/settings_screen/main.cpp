// settings_screen - a game's settings screen built on the settings kit, with
// SDL2, OpenGL and Dear ImGui.
//
//   settings_screen [--schema FILE] [--settings-dir DIR]
//   settings_screen --script FILE [--screenshot OUT.png] [--settings-dir DIR] [--schema FILE]
//
// Opens the kit on screen.schema.json (beside the program unless --schema
// says otherwise) and draws the menu from its listing. With --script it
// plays the script's actions (script.h), writes OUT.png at the end and exits:
// 0 when every action succeeded, 1 when one failed, 2 for a wrong command
// line, 3 when the kit or the window cannot be opened.
#include "game_setup.h"
#include "menu.h"
#include "pending_changes.h"
#include "png_file.h"
#include "script.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 600;
// Frames drawn after the script's last action before the closing screenshot.
constexpr int kClosingFrames = 3;

struct Arguments {
    std::string schema;
    std::string settings_dir;
    std::string script;
    std::string screenshot;
};

bool ParseArguments(int argc, char** argv, Arguments* arguments)
{
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        std::string* target = flag == "--schema"         ? &arguments->schema
                              : flag == "--settings-dir" ? &arguments->settings_dir
                              : flag == "--script"       ? &arguments->script
                              : flag == "--screenshot"   ? &arguments->screenshot
                                                         : nullptr;
        if (target == nullptr || i + 1 == argc) {
            return false;
        }
        *target = argv[++i];
    }
    return arguments->screenshot.empty() || !arguments->script.empty();
}

std::string SchemaBesideProgram()
{
    const std::unique_ptr<char, decltype(&SDL_free)> base(SDL_GetBasePath(), &SDL_free);
    return std::string(base ? base.get() : "") + "screen.schema.json";
}

bool Screenshot(SDL_Window* window, const std::string& path)
{
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    if (!WritePng(path, width, height, pixels)) {
        std::fprintf(stderr, "settings_screen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// SDL, the window, its OpenGL context and Dear ImGui, for the program's run.
class Window {
public:
    bool Open(bool scripted)
    {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "settings_screen: no video: %s\n", SDL_GetError());
            return false;
        }
        sdl_ = true;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window_ = SDL_CreateWindow("Settings", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight,
                                   SDL_WINDOW_OPENGL);
        context_ = window_ != nullptr ? SDL_GL_CreateContext(window_) : nullptr;
        if (context_ == nullptr) {
            std::fprintf(stderr, "settings_screen: no OpenGL window: %s\n", SDL_GetError());
            return false;
        }
        SDL_GL_MakeCurrent(window_, context_);
        SDL_GL_SetSwapInterval(scripted ? 0 : 1);
        IMGUI_CHECKVERSION();
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::StyleColorsDark();
        ImGui::GetStyle().CellPadding.y = 3.0f;
        imgui_ = ImGui_ImplSDL2_InitForOpenGL(window_, context_) && ImGui_ImplOpenGL3_Init("#version 130");
        return imgui_;
    }
    ~Window()
    {
        if (imgui_) {
            ImGui_ImplOpenGL3_Shutdown();
            ImGui_ImplSDL2_Shutdown();
        }
        if (ImGui::GetCurrentContext() != nullptr) {
            ImGui::DestroyContext();
        }
        if (context_ != nullptr) {
            SDL_GL_DeleteContext(context_);
        }
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        if (sdl_) {
            SDL_Quit();
        }
    }
    SDL_Window* get() const { return window_; }

private:
    bool sdl_ = false;
    bool imgui_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

// The scripted mode's clock: 60 frames a second, plus what wait-seconds
// skipped. The kit reads it for the confirmation's deadline.
struct VirtualClock {
    std::uint64_t frame = 0;
    double skipped_seconds = 0.0;
};

std::uint64_t QORVA_ZEL_KIT_CALL VirtualMilliseconds(void* user)
{
    const VirtualClock* clock = static_cast<const VirtualClock*>(user);
    return static_cast<std::uint64_t>((static_cast<double>(clock->frame) / 60.0 + clock->skipped_seconds) * 1000.0);
}

// The display modes of the window's display as SDL lists them.
std::vector<kit::display_mode> DisplayModes(SDL_Window* window)
{
    std::vector<kit::display_mode> modes;
    const int display = SDL_GetWindowDisplayIndex(window);
    for (int i = 0; i < SDL_GetNumDisplayModes(display); ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(display, i, &mode) == 0) {
            modes.push_back(kit::mode(static_cast<std::uint32_t>(mode.w), static_cast<std::uint32_t>(mode.h),
                                      static_cast<float>(mode.refresh_rate)));
        }
    }
    return modes;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    if (!ParseArguments(argc, argv, &arguments)) {
        std::fprintf(stderr, "usage: settings_screen [--script FILE [--screenshot OUT.png]] [--settings-dir DIR] "
                             "[--schema FILE]\n");
        return 2;
    }
    const bool scripted = !arguments.script.empty();
    ScriptPlayer player;
    std::string error;
    if (scripted && !player.Load(arguments.script, &error)) {
        std::fprintf(stderr, "settings_screen: %s\n", error.c_str());
        return 2;
    }

    Window window;
    if (!window.Open(scripted)) {
        return 3;
    }
    const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    VirtualClock clock;
    if (scripted) {
        kit::set_clock(&VirtualMilliseconds, &clock);
    }
    kit::session settings(GameOptions(arguments.schema.empty() ? SchemaBesideProgram() : arguments.schema,
                                      arguments.settings_dir, vendor != nullptr ? vendor : "",
                                      scripted ? StandInModes() : DisplayModes(window.get())));
    if (!settings) {
        std::fprintf(stderr, "settings_screen: the settings kit did not open: %s %s\n",
                     kit::status_text(settings.open_status()), settings.message().c_str());
        return 3;
    }
    kit::display_mode desktop = StandInDesktopMode();
    SDL_DisplayMode mode{};
    if (!scripted && SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(window.get()), &mode) == 0) {
        desktop = kit::mode(static_cast<std::uint32_t>(mode.w), static_cast<std::uint32_t>(mode.h),
                            static_cast<float>(mode.refresh_rate));
    }
    StartInListedMode(settings, desktop);
    PendingChanges changes(settings);
    MenuView view;
    view.banner = BannerLines(settings);

    int closing_frames = -1;
    for (;; ++clock.frame) {
        SDL_Event event;
        bool quit = false;
        while (SDL_PollEvent(&event) != 0) {
            ImGui_ImplSDL2_ProcessEvent(&event);
            quit = quit || event.type == SDL_QUIT;
        }
        if (quit) {
            return 0;
        }
        std::string screenshot;
        if (scripted && closing_frames < 0) {
            const ScriptPlayer::State state = player.Step(changes, view, &clock.skipped_seconds, &screenshot);
            if (state == ScriptPlayer::State::failed) {
                std::fprintf(stderr, "settings_screen: %s\n", player.error().c_str());
                return 1;
            }
            if (state == ScriptPlayer::State::done) {
                closing_frames = kClosingFrames;
            }
        }

        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        DrawSettingsMenu(changes, view);
        ImGui::Render();
        const ImGuiIO& io = ImGui::GetIO();
        glViewport(0, 0, static_cast<int>(io.DisplaySize.x), static_cast<int>(io.DisplaySize.y));
        glClearColor(0.08f, 0.08f, 0.1f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());

        if (!screenshot.empty() && !Screenshot(window.get(), screenshot)) {
            return 1;
        }
        if (closing_frames == 0) {
            return arguments.screenshot.empty() || Screenshot(window.get(), arguments.screenshot) ? 0 : 1;
        }
        if (closing_frames > 0) {
            --closing_frames;
        }
        SDL_GL_SwapWindow(window.get());
    }
}
