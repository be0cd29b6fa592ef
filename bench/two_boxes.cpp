// The floor under any phase that runs between two message boxes: a box, and
// on OK at once a second one, with the wizard's captions and flags. Nothing
// between the two boxes could be quicker than this.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "Папка программы успешно найдена!", "Предупреждение...",
                MB_SYSTEMMODAL | MB_ICONINFORMATION | MB_OK);
    MessageBoxA(nullptr, "Пакет установлен успешно!", "Сообщение...", MB_SYSTEMMODAL | MB_ICONINFORMATION | MB_OK);
    return 0;
}
