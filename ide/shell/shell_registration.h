#pragma once
// Desktop integration of an interactive start: a .desktop entry that runs a
// double-clicked program hidden, and the mime types of the three file kinds,
// under ${XDG_DATA_HOME:-~/.local/share}. Never called in batch mode.
#include <string>

// The entry's text for the program at `exePath`.
std::string DesktopEntryText(const std::string& exePath);
// The shared-mime-info package: text/x-veldra (*.vdx, a kind of text/plain),
// application/x-veldra-plot (*.qra), application/x-veldra-console (*.vxc).
std::string MimePackageText();

// The data folder the files go under (empty when neither XDG_DATA_HOME nor
// HOME is set).
std::string ShellDataHome();

// Writes applications/veldra.desktop, mime/packages/veldra.xml and the icon
// icons/hicolor/48x48/apps/veldra.png when missing or different, then refreshes the desktop's databases with
// update-mime-database / update-desktop-database when those exist. Returns
// how many files were (re)written; -1 when a write failed.
int RegisterShellFiles(const std::string& exePath);
