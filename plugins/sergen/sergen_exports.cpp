// The series editor plug-in's exports of the Ext family and its module life.
// Apart from ExtInit, ExtShow and ExtScreenshot every export is a fixed
// answer: the editor does not judge vehicles. Every export that returns int runs its body under
// a catch-all: an exception yields -1002 and never crosses into the host.
#include <cstring>
#include <utility>

#include "bridges/export_guard.h"
#include "ext_family.h"
#include "gbk_texts.h"
#ifdef SERGEN_WITH_EDITOR
#include "dialogs/editor.h"
#endif
#ifdef SERGEN_WITH_WIN32_EDITOR
#include "dialogs/win32_editor.h"
#endif
#include "generator/sergen_module.h"
#include "platform/trace.h"

namespace {

// Attach runs in the constructor and detach in the destructor; the module's
// state is a member, so it is built before attach and destroyed after detach,
// on dlclose and at process exit alike.
struct ModuleLife {
    generator::SergenModule module;
    ModuleLife();
    ~ModuleLife();
};

ModuleLife moduleLife;

generator::SergenModule &Module() {
    return moduleLife.module;
}

using bridges::Guarded;

}  // namespace

extern "C" {

// Not a member of the Ext family: stdhost's editor --screenshot.
EXT_API int ExtScreenshot(const char *pngPath, const char *dialog, const char *brand,
                          const char *series, int width, int height);

int ExtInit(void *initRecord) {
    return Guarded([&] { return generator::InitModule(Module(), initRecord); });
}

// Runs the editor modally (see dialogs/editor.h, on Windows
// dialogs/win32_editor.h); -1002 without a display. A build without dialogs
// only keeps the rectangle.
int ExtShow(int show, ExtRect rect) {
    return Guarded([&] {
        if (show == 0) return EXT_DONE;
#ifdef SERGEN_WITH_EDITOR
        return dialogs::ShowEditor(Module(), rect, reinterpret_cast<const void *>(&ExtShow));
#elif defined(SERGEN_WITH_WIN32_EDITOR)
        return dialogs::win32::ShowEditor(Module(), rect, reinterpret_cast<const void *>(&ExtShow));
#else
        Module().editorRect = {rect.left, rect.top, rect.right, rect.bottom};
        return EXT_DONE;
#endif
    });
}

// Renders one dialog of the editor ("main", "conditions", "mask" or
// "limit"), on the station of ExtInit, offscreen to the PNG file `pngPath`;
// `brand` and `series` (UTF-8, both or neither, may be null) choose the series
// it shows, `width` x `height` is the editor's size. 1 when the file is
// written; -1003 for a null path or an unknown dialog, -1 when the dialog
// cannot be rendered or the file written (the trace says more), -1000 in a
// build without Qt, -1002 for an exception.
int ExtScreenshot(const char *pngPath, const char *dialog, const char *brand, const char *series,
                  int width, int height) {
    return Guarded([&] {
#ifdef SERGEN_WITH_EDITOR
        dialogs::Screen screen{};
        if (pngPath == nullptr || dialog == nullptr || !dialogs::ScreenNamed(dialog, screen))
            return EXT_NULL_ARGUMENT;
        const bool chosen = brand != nullptr && series != nullptr;
        return dialogs::RenderScreenshot(Module(), ExtRect{0, 0, width, height},
                                         reinterpret_cast<const void *>(&ExtScreenshot), screen,
                                         chosen ? brand : "", chosen ? series : "", pngPath)
                   ? EXT_DONE
                   : -1;
#else
        (void)pngPath, (void)dialog, (void)brand, (void)series, (void)width, (void)height;
        return EXT_NOT_PROVIDED;
#endif
    });
}

void ExtGetErrorInfo(char *out) {
    try {
        if (out != nullptr)
            std::memcpy(out, Module().errorText,
                        strnlen(Module().errorText, sizeof Module().errorText) + 1);
    } catch (...) {
    }
}

void *GetDevData(void) {
    return Module().deviceData.Data();
}

int ExtGetStand(void *) {
    return Guarded([] { return EXT_DONE; });
}

// Answers 1: the host may hand the editor a vehicle, items or a release.
#define SERGEN_DONE(name)                        \
    int name(void *) {                           \
        return Guarded([] { return EXT_DONE; }); \
    }
SERGEN_DONE(ExtInitInfo)
SERGEN_DONE(ExtInitItem)
#undef SERGEN_DONE

int ExtRelease(void) {
    return Guarded([] { return EXT_DONE; });
}

int ExtStop(void) {
    return Guarded([] { return EXT_NOT_PROVIDED; });
}

// The members an editor does not provide.
#define SERGEN_NOT_PROVIDED(name)                        \
    int name(void *) {                                   \
        return Guarded([] { return EXT_NOT_PROVIDED; }); \
    }
SERGEN_NOT_PROVIDED(ExtInitStd)
SERGEN_NOT_PROVIDED(ExtInitResult)
SERGEN_NOT_PROVIDED(ExtInitCalib)
SERGEN_NOT_PROVIDED(ExtRun)
SERGEN_NOT_PROVIDED(ExtMove)
SERGEN_NOT_PROVIDED(ExtGetType)
SERGEN_NOT_PROVIDED(ExtGetInfo)
SERGEN_NOT_PROVIDED(ExtGetItem)
SERGEN_NOT_PROVIDED(ExtGetResult)
SERGEN_NOT_PROVIDED(ExtGetCalib)
#undef SERGEN_NOT_PROVIDED

}  // extern "C"

namespace {

ModuleLife::ModuleLife() {
    try {
        platform::Trace(texts::kSergenInitializing);
    } catch (...) {
    }
}

ModuleLife::~ModuleLife() {
    try {
        platform::Trace(texts::kSergenTerminating);
    } catch (...) {
    }
}

}  // namespace
