// The standards editor's entry on Windows: the common controls, an editor
// session over the module's state, and the modal main dialog.
#include <windows.h>

#include <commctrl.h>

#include "dialogs/win32_editor.h"
#include "generator/editor_session.h"
#include "generator/sergen_module.h"
#include "platform/trace.h"
#include "standar_for_cx.h"
#include "win_messages.h"

namespace dialogs::win32 {
namespace {

HINSTANCE ModuleOf(const void *address) {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCWSTR>(address), &module);
    return module;
}

}  // namespace

int ShowEditor(generator::SergenModule &module, ExtRect rect, const void *moduleAddress) {
    try {
        module.editorRect = {rect.left, rect.top, rect.right, rect.bottom};
        INITCOMMONCONTROLSEX controls{
            sizeof(INITCOMMONCONTROLSEX),
            ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
        ::InitCommonControlsEx(&controls);
        HINSTANCE instance = ModuleOf(moduleAddress);
        Win32MessageSink sink;
        generator::EditorSession session(
            module.editor, [&module] { return module.Connection(); }, sink);
        session.Open(moduleAddress);
        {
            // The host's window (the active one of this thread) owns the editor.
            StandarForCX dialog(session, module.editorRect, sink);
            dialog.Run(instance, ::GetActiveWindow());
        }
        session.Close();
        return EXT_DONE;
    } catch (...) {
        platform::Trace("Sergen: the editor could not be shown\n");
        return EXT_EXCEPTION;
    }
}

}  // namespace dialogs::win32
