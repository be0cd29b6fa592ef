// The wizard's pages on the one main window: language, about, copy list and
// folder page, and the permanent controls they share.
#pragma once
#include <windows.h>

extern HWND BannerImage;
extern HWND HeaderLabel;
extern HWND BackButton;
extern HWND NextButton;
extern HWND ExitButton;

void ShowLanguagePage();
void BuildTitleBox();
void ShowAboutPage();
bool ShowCopyListPage();
void ShowFolderPage();
