#include "framework/app.h"

boost::shared_ptr<pelkolib::App> theApp;

namespace pelkolib {

namespace {
const DWORD kModulePathBufferSize = 520;
}

App::App() : showCommand(SW_SHOW), instance(GetModuleHandleA(NULL)) {
    loadModuleFileName();
    const char* commandLine = GetCommandLineA();
    parseCommandLine(std::string(commandLine != NULL ? commandLine : ""));
}

App::~App() {}

void App::loadModuleFileName() {
    char buffer[kModulePathBufferSize] = {};
    GetModuleFileNameA(NULL, buffer, kModulePathBufferSize);
    buffer[kModulePathBufferSize - 1] = '\0';
    moduleFileName = buffer;
}

std::vector<std::string> App::cutCommandLine(const std::string& commandLine) {
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : commandLine) {
        if (c == '\0') {
            break;
        }
        if (c == '"') {
            if (!piece.empty()) {
                pieces.push_back(piece);
            }
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty()) {
        pieces.push_back(piece);
    }
    return pieces;
}

void App::parseCommandLine(std::string commandLine) {
    arguments = cutCommandLine(commandLine);
}

std::string App::modulePath() const {
    return moduleFileName;
}

std::string App::mutexNameFor(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = ':';
        }
    }
    return path;
}

bool App::isAlreadyRunning(const char* name) {
    const std::string mutexName = name != NULL ? std::string(name) : mutexNameFor(moduleFileName);
    SetLastError(ERROR_SUCCESS);
    // The handle stays open until the process ends: that keeps later instances out.
    CreateMutexA(NULL, TRUE, mutexName.c_str());
    const DWORD error = GetLastError();
    // Access denied means a more privileged instance holds the name: it runs too.
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

int App::run() {
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) != 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace pelkolib
