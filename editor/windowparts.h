// SPDX-License-Identifier: GPL-3.0-or-later
// What each command object of the main window is given: the edit session it
// works over, the seams and ports, the window's frame, and its neighbours,
// which it calls by name rather than through the window. The window fills it
// before any part is built; every pointer lives as long as the window.
#pragma once

#include <QString>

class QMainWindow;

namespace dorvane {

class CopyCommands;
class DesktopFiles;
class DeviceSetup;
class Dialogs;
class EditSession;
class FileCommands;
class HistoryCommands;
class InstrumentFinder;
class BreedCommands;
class LibraryCommands;
class MidiDeviceRegistry;
class MidiMonitor;
class MorphCommands;
class PresetsAndScales;
class RandomSource;
class SettingsStore;
class ShakeCommands;
class TMIDIappUtil;
class TMidiInput;
class TMidiOutput;
class ToolCommands;
class TransferCommands;
class ValueSheets;
class VerifyCommands;
class WindowFrame;

struct WindowParts
{
    QMainWindow* window = nullptr;
    EditSession* session = nullptr;
    Dialogs* dialogs = nullptr;
    SettingsStore* settings = nullptr;
    RandomSource* random = nullptr;
    TMIDIappUtil* util = nullptr;
    TMidiOutput* output = nullptr;
    TMidiInput* input = nullptr;
    MidiDeviceRegistry* devices = nullptr;
    MidiMonitor* monitor = nullptr;
    WindowFrame* frame = nullptr;
    QString programFolder; // perf.syx, wavelist.txt … live here
    QString dataFolder;    // the image kept between runs
    QString libraryFile;   // the library's index, or empty for none

    ValueSheets* sheets = nullptr;
    FileCommands* files = nullptr;
    DesktopFiles* desktop = nullptr;
    HistoryCommands* history = nullptr;
    TransferCommands* transfers = nullptr;
    VerifyCommands* verify = nullptr;
    DeviceSetup* deviceSetup = nullptr;
    InstrumentFinder* finder = nullptr;
    ShakeCommands* shake = nullptr;
    CopyCommands* copy = nullptr;
    ToolCommands* tools = nullptr;
    LibraryCommands* library = nullptr;
    PresetsAndScales* presets = nullptr;
    MorphCommands* morph = nullptr;
    BreedCommands* breed = nullptr;
};

} // namespace dorvane
