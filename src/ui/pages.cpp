#include "ui/pages.h"

HWND BannerImage = nullptr;
HWND HeaderLabel = nullptr;
HWND BackButton = nullptr;
HWND NextButton = nullptr;
HWND ExitButton = nullptr;
