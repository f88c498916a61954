#pragma once
// The IDE's stored settings: the numbered values of section "Settings" of
// Veldra.conf, their defaults (the AppSettings variables) and their checks.
#include <cstdint>
#include <string>
#include <vector>

class CSettingsFile;

// The store of the program's settings (key "Brenholt", application "Veldra").
CSettingsFile& VeldraSettingsFile();

// "%d" of the counter, then the counter moves on.
std::string MakeSettingName(int& counter);

// Reads every row in table order over the current values. Without a version
// 4 file: a read-only load keeps the defaults; otherwise the information
// message is written, the whole key is emptied and "Ver" = 4 written.
// A stored 44-byte "Winpos" is handed back (show command and rectangle checked).
void LoadSettings(CSettingsFile& store, bool readOnly, std::vector<uint8_t>* winpos = nullptr);

// Writes "Winpos" (when given, 44 bytes) and every row in table order.
// False when the file could not be written (errno in store.LastWriteError()).
bool SaveSettings(CSettingsFile& store, const std::vector<uint8_t>* winpos = nullptr);

// The batch run: the same loader, read-only; "102" counts as on.
void LoadBatchSettings();
