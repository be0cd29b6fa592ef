#include "lang/catalogue.h"

std::string MsgExitConfirm, CapExitConfirm, BtnNext, MsgProgramRunning, MsgNewerInstalled, MsgAlreadyInstalled,
    CapConfirm, LblProgramNotFound, LblInstallProgress, MsgNoCopyFound, LblChooseFolder, CapWarning, MsgNotInFolder,
    MsgIncompatibleVersion, MsgLaunchQuestion, MsgInstallOk, CapMessage, MsgInstallFailed, LblChooseCopy,
    MsgOtherCopies, MsgFolderFound, BtnBack, LblElapsed, BtnExit, LblAboutPackage;
int MessageLineCounter = 0;
