#include "dialog_base.h"

#include <exception>

#include "platform/trace.h"

namespace dialogs::win32 {

DialogBase::~DialogBase() {
    if (window_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, DWLP_USER, 0);
        ::DestroyWindow(window_);
    }
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, int templateId, HWND owner) {
    instance_ = instance;
    const INT_PTR result =
        ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, &DialogBase::Procedure,
                          reinterpret_cast<LPARAM>(this));
    if (result == -1)
        platform::TraceF("Sergen: dialog %d cannot be created (error %lu)\n", templateId,
                         static_cast<unsigned long>(::GetLastError()));
    return result;
}

HWND DialogBase::CreateModeless(HINSTANCE instance, int templateId, HWND owner) {
    instance_ = instance;
    HWND window = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner,
                                       &DialogBase::Procedure, reinterpret_cast<LPARAM>(this));
    if (window == nullptr)
        platform::TraceF("Sergen: dialog %d cannot be created (error %lu)\n", templateId,
                         static_cast<unsigned long>(::GetLastError()));
    return window;
}

INT_PTR DialogBase::ColourControl(UINT message, WPARAM dc) {
    const int background =
        message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX ? COLOR_WINDOW : COLOR_BTNFACE;
    HDC hdc = reinterpret_cast<HDC>(dc);
    ::SetTextColor(hdc, kDialogText);
    ::SetBkColor(hdc, ::GetSysColor(background));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(background));
}

INT_PTR CALLBACK DialogBase::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    DialogBase *self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase *>(l);
        ::SetWindowLongPtrW(window, DWLP_USER, l);
        if (self != nullptr) self->window_ = window;
    } else {
        self = reinterpret_cast<DialogBase *>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    INT_PTR handled = FALSE;
    try {
        handled = self->Handle(message, w, l);
    } catch (const std::exception &error) {
        platform::TraceF("Sergen: message %u: %s\n", message, error.what());
        handled = TRUE;
    } catch (...) {
        platform::TraceF("Sergen: message %u: unknown exception\n", message);
        handled = TRUE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->window_ = nullptr;
    }
    return handled;
}

}  // namespace dialogs::win32
