// The application object: the executable's path, the command line, the
// single-instance guard and the thread's message loop.
#pragma once

#include "platform/os.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace pelkolib {

// The one object that stands for the running program.
class App {
public:
    // Records the executable's path and the pieces of the command line.
    App();
    // Releases the recorded strings; closes no handle and releases no mutex.
    virtual ~App();

    // Takes the named mutex (null: the name derived from the executable's path); true when it existed already.
    virtual bool isAlreadyRunning(const char* name);
    // Runs the thread's message loop until the quit message and gives its code.
    virtual int run();

    // A copy of the executable's full path.
    std::string modulePath() const;

    // The mutex name for an executable path: every 0x5C byte becomes 0x3A.
    static std::string mutexNameFor(std::string path);

    // The executable's full path as the system reports it.
    std::string moduleFileName;
    // The pieces of the command line, cut at double quotes.
    std::vector<std::string> arguments;
    // The show command, SW_SHOW from construction on.
    int showCommand;
    // The executable's own module handle.
    HINSTANCE instance;

    // Cuts a command line into pieces at double quotes; empty pieces are dropped.
    static std::vector<std::string> cutCommandLine(const std::string& commandLine);

private:
    // Fills `moduleFileName` from the system.
    void loadModuleFileName();
    // Fills `arguments` from the whole command line.
    void parseCommandLine(std::string commandLine);
};

} // namespace pelkolib

// The process-wide owner of the one application object.
extern boost::shared_ptr<pelkolib::App> theApp;
