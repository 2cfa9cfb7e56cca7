// The program on a real X server: a private Xvfb started here, bin/delvaro
// run on it, its window looked for by caption, then closed as a window
// manager closes it. Every process started here is ended here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kCaption[] = "Convert Leica SKI File(s) to a Trevadel Input File";

// A process started by the test, ended (and reaped) when it goes out of scope.
class Child {
  public:
    Child(std::vector<std::string> args, const std::vector<std::string>& extraEnv,
          const std::string& logFile, int keepFd = -1) {
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> env(extraEnv);
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& entry : env) envp.push_back(entry.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        (void)keepFd;  // inherited as it is: it has no close-on-exec flag
        if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { Stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return m_pid > 0; }

    // The exit status once the process has ended within `limit`; -1 if not.
    int WaitFor(std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        while (m_pid > 0) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (Clock::now() > end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    void Stop() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        if (WaitFor(std::chrono::seconds(5)) == -1 && m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

  private:
    pid_t m_pid = -1;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t atom) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (reply == nullptr) return std::string();
    std::string value(static_cast<const char*>(xcb_get_property_value(reply)),
                      static_cast<size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return value;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// A mapped top-level window whose caption is `caption`.
xcb_window_t FindWindow(xcb_connection_t* connection, const std::string& caption) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
    if (tree == nullptr) return XCB_WINDOW_NONE;
    xcb_window_t found = XCB_WINDOW_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && found == XCB_WINDOW_NONE; ++i) {
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, children[i]), nullptr);
        const bool mapped =
            attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (mapped && Property(connection, children[i], XCB_ATOM_WM_NAME) == caption)
            found = children[i];
    }
    std::free(tree);
    return found;
}

TEST(X11, TheDialogProgramOpensItsWindowAndClosesFromTheWindowManager) {
    const std::filesystem::path scratch =
        std::filesystem::path(DELVARO_BUILD_DIR) / "x11-smoke-test";
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch / "runtime");
    std::filesystem::permissions(scratch / "runtime", std::filesystem::perms::owner_all);
    const std::string serverLog = (scratch / "xvfb.log").string();
    const std::string programLog = (scratch / "delvaro.log").string();

    // Xvfb picks a free display itself and writes its number to the pipe.
    int displayPipe[2];
    ASSERT_EQ(pipe(displayPipe), 0);
    fcntl(displayPipe[0], F_SETFD, FD_CLOEXEC);
    Child server({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-nolisten", "tcp",
                  "-screen", "0", "1024x768x24"},
                 {}, serverLog, displayPipe[1]);
    close(displayPipe[1]);
    ASSERT_TRUE(server.Started()) << "Xvfb not found: run scripts/setup.sh";
    std::string display;
    pollfd readable{displayPipe[0], POLLIN, 0};
    char buffer[32];
    while (display.find('\n') == std::string::npos && poll(&readable, 1, 15000) == 1) {
        const ssize_t n = read(displayPipe[0], buffer, sizeof buffer);
        if (n <= 0) break;
        display.append(buffer, static_cast<size_t>(n));
    }
    close(displayPipe[0]);
    ASSERT_NE(display.find('\n'), std::string::npos) << "Xvfb did not start:\n"
                                                     << ReadAll(serverLog);
    display = ":" + display.substr(0, display.find('\n'));

    // In a sanitizer build: libxkbcommon-x11 hands strndup a keymap name that
    // is limited by its length, not terminated, which strict string checks
    // take for an overflow. Everything else stays checked.
    const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions =
        "ASAN_OPTIONS=" + std::string(sanitizerOptions != nullptr ? sanitizerOptions : "") +
        ":strict_string_checks=0";
    Child program({DELVARO_APP},
                  {asanOptions, "DISPLAY=" + display, "QT_QPA_PLATFORM=xcb",
                   "XDG_RUNTIME_DIR=" + (scratch / "runtime").string(),
                   "XDG_CONFIG_HOME=" + (scratch / "config").string()},
                  programLog);
    ASSERT_TRUE(program.Started());

    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(
        xcb_connect(display.c_str(), nullptr), xcb_disconnect);
    ASSERT_EQ(xcb_connection_has_error(connection.get()), 0);
    xcb_window_t window = XCB_WINDOW_NONE;
    for (const auto end = Clock::now() + std::chrono::seconds(20);
         window == XCB_WINDOW_NONE && Clock::now() < end;) {
        window = FindWindow(connection.get(), kCaption);
        if (window == XCB_WINDOW_NONE) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_NE(window, XCB_WINDOW_NONE)
        << "no window '" << kCaption << "' appeared; program output:\n"
        << ReadAll(programLog);

    // The close button of a window manager: WM_DELETE_WINDOW.
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = window;
    close.type = Atom(connection.get(), "WM_PROTOCOLS");
    close.data.data32[0] = Atom(connection.get(), "WM_DELETE_WINDOW");
    close.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection.get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&close));
    xcb_flush(connection.get());
    EXPECT_EQ(program.WaitFor(std::chrono::seconds(10)), 0) << ReadAll(programLog);
}

// Without any display the program says so and ends, instead of Qt
// aborting the process.
TEST(X11, WithoutADisplayTheProgramSaysSoAndEnds) {
    const std::filesystem::path scratch =
        std::filesystem::path(DELVARO_BUILD_DIR) / "no-display-test";
    std::filesystem::create_directories(scratch);
    const std::string log = (scratch / "delvaro.log").string();
    std::filesystem::remove(log);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    Child program({DELVARO_APP}, {}, log);
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.WaitFor(std::chrono::seconds(10)), 1);
    EXPECT_NE(ReadAll(log).find("delvaro: cannot open a window: no display available"),
              std::string::npos)
        << ReadAll(log);
}

}  // namespace
