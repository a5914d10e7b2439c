// boxes_hook.dll: runs inside the process that shows a message box and reports which
// standard icon the box's icon control holds, as a window property of that control.
#include <windows.h>

#include "boxes.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK BoxIconHook(int code, WPARAM wParam,
                                                                 LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && call->message == RegisterWindowMessageA(BOXES_ICON_QUERY_MESSAGE)) {
        static const struct {
            LPCSTR id;
            UINT flag;
        } icons[] = {{IDI_HAND, MB_ICONERROR},
                     {IDI_QUESTION, MB_ICONQUESTION},
                     {IDI_EXCLAMATION, MB_ICONWARNING},
                     {IDI_ASTERISK, MB_ICONINFORMATION}};
        HICON icon = (HICON)SendMessageA(call->hwnd, STM_GETICON, 0, 0);
        UINT flag = icon == NULL ? 0 : 0xFFFF;
        for (const auto &known : icons) {
            if (icon != NULL && icon == LoadIconA(NULL, known.id))
                flag = known.flag;
        }
        SetPropA(call->hwnd, BOXES_ICON_PROPERTY, (HANDLE)(UINT_PTR)(flag | BOXES_ICON_ANSWERED));
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
