// The package's layout: every file and folder of the setup folder and of the
// target that setup reads or writes. Each name is spelled here and nowhere
// else, so setup and packcheck cannot come to disagree about one.
#pragma once
#include <array>
#include <cstddef>

namespace package_layout_detail {
// folder + "\" + name, joined at compile time.
template <std::size_t F, std::size_t N>
constexpr std::array<char, F + N> Join(const char (&folder)[F], const char (&name)[N]) {
    std::array<char, F + N> path{};
    for (std::size_t i = 0; i + 1 < F; ++i) path[i] = folder[i];
    path[F - 1] = '\\';
    for (std::size_t i = 0; i < N; ++i) path[F + i] = name[i];
    return path;
}
template <const auto& Folder, const auto& Name>
inline constexpr auto Joined = Join(Folder, Name);
}  // namespace package_layout_detail

// The setup folder's folders.
inline constexpr char SourceFolderName[] = "Source";
inline constexpr char LanguageFolderName[] = "Language";
inline constexpr char LanguageFileExtension[] = ".txt";

// In Source: the package description, its about text, the target versions it fits.
inline constexpr char PackIniName[] = "Pack.ini";
inline constexpr char AboutPackName[] = "aboutPack.ini";
inline constexpr char VersionsName[] = "Versions.ini";
// In Source: the scripts (deletes, copies to the target, copies to the package
// folder) and the folder holding the package's own files.
inline constexpr char DeleteScriptName[] = "Script_Delete.ini";
inline constexpr char TargetCopyScriptName[] = "Script_ACopy.ini";
inline constexpr char PackageCopyScriptName[] = "Script_Copy.ini";
inline constexpr char PackFolderName[] = "PACK";
// In Source: a whole uninstall record (the same name as the target's), or the
// lines to clear from and add to the target's.
inline constexpr char UninstallName[] = "Uninstall.ini";
inline constexpr char UninstallClearScriptName[] = "Script_Uninstall_Clear.ini";
inline constexpr char UninstallAddScriptName[] = "Script_Uninstall_Add.ini";
// In Source and, copied there, in the package folder: the versions this package supersedes.
inline constexpr char OldVersionsName[] = "OldVersions.ini";
// In the package folder: the version installed last.
inline constexpr char VersionStampName[] = "Version.ini";

// In the target: the folder with its uninstall record, components list and package list.
inline constexpr char ResourceFolderName[] = "Resource";
inline constexpr char InstallComponentsName[] = "InstallComponents.ini";
inline constexpr char PackagesName[] = "Packages.ini";

// What a run leaves in the target only while it is at work, or when it was
// interrupted: its journal, the old files it moved aside, a record being written.
inline constexpr char JournalName[] = "Setup.journal";
inline constexpr char AsideSuffix[] = ".setup-old";
inline constexpr char ReplacementSuffix[] = ".setup-tmp";
// The folder at the target's top where package copies are written before they
// are put in place; its name is reserved like the temporaries'.
inline constexpr char StagingFolderName[] = "Setup";
// Below the user's local application data: the records of this user's runs
// not yet finished, which vouch for their journals.
inline constexpr char RunRecordsFolder[] = "Quillsetter.TV\\Runs";
inline constexpr char RunRecordExtension[] = ".run";

// The same files as paths relative to the setup folder.
inline constexpr const char* SourcePackIni = package_layout_detail::Joined<SourceFolderName, PackIniName>.data();
inline constexpr const char* SourceAboutPack = package_layout_detail::Joined<SourceFolderName, AboutPackName>.data();
inline constexpr const char* SourceVersions = package_layout_detail::Joined<SourceFolderName, VersionsName>.data();
inline constexpr const char* SourceDeleteScript =
    package_layout_detail::Joined<SourceFolderName, DeleteScriptName>.data();
inline constexpr const char* SourceTargetCopyScript =
    package_layout_detail::Joined<SourceFolderName, TargetCopyScriptName>.data();
inline constexpr const char* SourcePackageCopyScript =
    package_layout_detail::Joined<SourceFolderName, PackageCopyScriptName>.data();
inline constexpr const char* SourcePackFolder = package_layout_detail::Joined<SourceFolderName, PackFolderName>.data();
inline constexpr const char* SourceUninstall = package_layout_detail::Joined<SourceFolderName, UninstallName>.data();
inline constexpr const char* SourceUninstallClearScript =
    package_layout_detail::Joined<SourceFolderName, UninstallClearScriptName>.data();
inline constexpr const char* SourceUninstallAddScript =
    package_layout_detail::Joined<SourceFolderName, UninstallAddScriptName>.data();
inline constexpr const char* SourceOldVersions = package_layout_detail::Joined<SourceFolderName, OldVersionsName>.data();

// And relative to the target folder (Packages.ini: to the executable's folder).
inline constexpr const char* ResourceUninstall = package_layout_detail::Joined<ResourceFolderName, UninstallName>.data();
inline constexpr const char* ResourceInstallComponents =
    package_layout_detail::Joined<ResourceFolderName, InstallComponentsName>.data();
inline constexpr const char* ResourcePackages = package_layout_detail::Joined<ResourceFolderName, PackagesName>.data();
