// The program's entry: the start-up sequence, its refusals, the message loop.
#include "framework/app.h"
#include "sync/shutdown_notifier.h"
#include "sync/texts.h"

namespace {

int refuse(const char* text) {
    MessageBoxA(NULL, text, QUORVANE_TEXT_CAPTION, MB_ICONINFORMATION);
    return 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp = boost::shared_ptr<pelkolib::App>(new pelkolib::App());
    if (theApp->isAlreadyRunning(NULL)) {
        return refuse(QUORVANE_TEXT_ALREADY_RUNNING);
    }
    ShutdownNotifier notifier;
    if (!notifier.ready) {
        return refuse(QUORVANE_TEXT_CHECK_SETTINGS);
    }
    notifier.create(NULL);
    if (notifier.handle == NULL) {
        return refuse(QUORVANE_TEXT_CANNOT_START);
    }
    return theApp->run();
}
