// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's own texts, each written once: captions, questions and
// messages exactly as musicians know them from the instrument's editor.
#pragma once

#include <QString>

namespace dorvane::texts {

inline constexpr char CaptionPrefix[] = "Dorvane:  ";
inline constexpr char ExitQuestion[] = "Exit Dorvane now?";
// Added to the questions that would replace changes not saved to a file.
inline constexpr char UnsavedExitKept[] =
    "\\r\\n\\r\\nThe changes are not saved to a file; Dorvane keeps them for its next start.";
inline constexpr char UnsavedExitLost[] =
    "\\r\\n\\r\\nThe changes not saved to a file will be lost.";
inline constexpr char UnsavedOpen[] =
    "There are changes not saved to a file, and opening %1 replaces them.\\r\\nOpen it anyway?";
inline constexpr char NotKept[] = "The image could not be kept for the next start: %1";
inline constexpr char KeepImage[] = "Keep the image for the next start";
inline constexpr char KeepImageHint[] =
    "At exit the image is kept and comes back at the next start, changes and all; "
    "without it, Dorvane starts from perf.syx";
inline constexpr char SendWhileDragging[] = "Send while dragging";
inline constexpr char SendWhileDraggingHint[] =
    "Each step of a drag is sent as it goes, only the newest value waiting for the MIDI cable; "
    "off, a value is sent when the mouse is let go";
inline constexpr char SavedFile[] = "Saved %1";
inline constexpr char OpenedFile[] = "Opened %1";
inline constexpr char NotSavedMark[] = " (changed)";
inline constexpr char NoFileChanged[] = "changed, not saved";
inline constexpr char NoMidiOut[] = "no midiout";
inline constexpr char NoMidiIn[] = "no midiin";
inline constexpr char DeviceMissing[] =
    "%1 \"%2\" is not there: plug it in and start again, or choose another on this sheet.";
inline constexpr char DeviceNumberMissing[] =
    "%1 device %2 is not there: choose one on this sheet.";
inline constexpr char ChooseOutput[] =
    "Choose your MIDI output: drag \"no midiout\" sideways and let go "
    "(\"MC-505 (built in)\" answers like the instrument, without hardware)";
// Finding the instrument.
inline constexpr char FindInstrument[] = "Find Instrument";
inline constexpr char FindInstrumentHint[] =
    "Ask every MIDI port whether the MC-505 answers there, and choose the ports it answers on";
inline constexpr char DeviceIdCaption[] = "Device ID";
inline constexpr char DeviceIdHint[] =
    "The device ID every message to the MC-505 carries; Find Instrument learns it from the "
    "instrument's answer";
inline constexpr char FindOffer[] =
    "No MIDI output is chosen yet. Look for the MC-505 on every MIDI port now?\\r\\n\\r\\n"
    "Each port is asked who it is; it takes a second or two. You can always do it later "
    "with \"Find Instrument\" on the MIDI & Setup sheet.";
inline constexpr char UseFound[] =
    "The MC-505 answers on MIDI Out \"%1\" and MIDI In \"%2\", device ID %3.\\r\\n\\r\\n"
    "Use these ports?";
inline constexpr char FoundInUse[] =
    "The MC-505 answers on the MIDI Out and MIDI In in use, device ID %1";
inline constexpr char InstrumentChosen[] =
    "MIDI Out \"%1\" and MIDI In \"%2\", device ID %3: Get 8 Part Sysex from MC-505 "
    "(Shift+F12) fetches what it holds";
inline constexpr char FoundDeviceGone[] =
    "%1 \"%2\" is no longer in the list of devices: press \"Search Again\".";
inline constexpr char FoundOutputNotOpened[] =
    "MIDI Out \"%1\" could not be opened (error %2): is another program using it?";
inline constexpr char DeviceIdChangedNotKnown[] = "the device ID changed; not known until a Get";
inline constexpr char Shake[] = "     (Shake)";
inline constexpr char WontShake[] = "     (Won't Shake)";
inline constexpr char ControlSource2[] = "control source 2 = ";
inline constexpr char ControlSource3[] = "control source 3 = ";
inline constexpr char ToneSelectHint[] = "Tone Select (Hold Shift for solo)";
inline constexpr char AutoTrigger[] = "Auto Trigger";
inline constexpr char ShowHint[] = "Show Hint";
inline constexpr char ShowTone[] = "Show Tone";
inline constexpr char PanicHint[] = "Press this one if MC-505 produces strange noises";
inline constexpr char JumpPartsHint[] = "Jump between parts";
inline constexpr char JumpDrumHint[] = "Jump to Drum Note selector (for Part R only)";
inline constexpr char JumpPresetHint[] = "Jump to Preset Patch selector";
inline constexpr char CategoryHint[] = "Jump between waveform groups";
inline constexpr char AutoSavedTo[] = "AutoSaved to";
// %1 bytes still on their way out, %2 seconds at most.
inline constexpr char OutputDraining[] =
    "Sending the last %1 bytes before the MIDI output closes (at most %2 s)";
// The quick-edit window's status line says it with a space before the path.
inline constexpr char AutoSavedToKnobs[] = "AutoSaved to ";
inline constexpr char GraphicalEd[] = "Graphical &Ed";
inline constexpr char GraphicalEdHint[] = "Show or hide the knob window (F9)";

// Patch names, presets and scale tune.
inline constexpr char NameHint[] =
    "Patch name: type it and press Enter; double-click for a random name";
inline constexpr char BankNames[][3] = {" A", " B", " C", " D"};
inline constexpr char BankHint[] = "Preset bank of the MC-505";
inline constexpr char PresetHint[] =
    "Preset patch: chosen on the current part of the MC-505 at once; Dorvane's copy stays as it is";
inline constexpr char ScalesHint[] = "Scales available for tuning";
inline constexpr char ScaleSend[] = "OK";
inline constexpr char ScaleSendHint[] = "Send tuning to MC-505";
inline constexpr char ScaleNotSent[] = "The scale tune was not sent. ";
inline constexpr char ScaleSent[] = "Scale tune sent to part %1: %2 in %3";
inline constexpr char FileNotRead[] = "%1 could not be read: %2.";
// A value control whose value the program does not know.
inline constexpr char UnknownValue[] = "\u2014"; // an em dash
inline constexpr char SentToPart[] = "%1 = %2, sent to part %3";
inline constexpr char SentToInstrument[] = "%1 = %2, sent to the MC-505";
inline constexpr char NotSentNoOutput[] = "not sent: no MIDI output is chosen";
// Why a part is in the state its PART button shows.
inline constexpr char OpenedNotSent[] = "opened from %1, not sent";
inline constexpr char LibraryNotSent[] = "loaded from the library (%1), not sent";
inline constexpr char AuditionHeard[] = "the instrument plays %1 from the library";
inline constexpr char SendFailedReason[] = "not sent: %1";
inline constexpr char OutputChangedNotKnown[] = "the MIDI output changed; not known until a Get";
inline constexpr char NoOutputNotKnown[] = "no MIDI output is chosen; not known";
inline constexpr char SysexFileSentNotKnown[] = "a sysex file was sent";
inline constexpr char OutputLostNotKnown[] = "the MIDI output was lost; not known until a Get";
inline constexpr char OutputLost[] = "%1: what the instrument holds is not known";
inline constexpr char DeviceGone[] = "%1 (gone)";
inline constexpr char DeviceReopened[] = "%1: %2 is back and open again";
inline constexpr char DeviceBackNotOpened[] = "%1: %2 is back but does not open";
inline constexpr char NotSentOutputLost[] = "not sent: the MIDI output is gone";
inline constexpr char UnknownValueHint[] =
    "Not known yet: the MC-505 keeps this setting and never sends it back. "
    "Drag it or step it with keypad + and - to set it; from then on it shows what was sent";

// Patch files.
inline constexpr char FileMenuHint[] =
    "Please use this for backup data only. don't select your real "
    "data file for AutoSave unless you really want to";
inline constexpr char Open8Part[] = "&Open 8 Part Sysex File";
inline constexpr char Open8PartHint[] = "Open 8 Part Patch setup sysx file";
inline constexpr char Open8PartTitle[] = "Open 8 part";
inline constexpr char OpenPart[] = "O&pen Patch Sysex File on Current Part..";
inline constexpr char OpenPartHint[] = "Open a Patch file on Current Part";
inline constexpr char OpenPartTitle[] = "Open a patch file";
inline constexpr char Save8Part[] = "&Save Current 8 part data..";
inline constexpr char Save8PartHint[] = "Save all Patch data currently on Dorvane in syx format";
inline constexpr char Save8PartTitle[] = "save 8 part";
inline constexpr char SavePart[] = "S&ave Current Part data..";
inline constexpr char SavePartHint[] = "Save patch on the current part in syx format";
inline constexpr char SavePartTitle[] = "save patch";
inline constexpr char AutoSave[] = "AutoSave to File...";
inline constexpr char AutoSaveTitle[] = "select an AutoSave file";
inline constexpr char InitializePatch[] = "Initialize Patch";
inline constexpr char InitializePatchHint[] =
    "reset and send patch template (part.syx in the Dorvane directory to the current part";
inline constexpr char InitializeQuestion[] = "Initialize Part "; // + label + "?"
// A file is judged by its messages, not its size; %1 the file, %2 what is wrong and where.
inline constexpr char FileNotLoaded[] = "%1 was not loaded:\r\n%2\r\nTry again";
inline constexpr char PartFileNotLoaded[] = "%1 was not loaded: %2";
// %1 the file, %2 the messages with a wrong checksum, %3 all its messages.
inline constexpr char WrongChecksums[] =
    "%1: %2 of %3 messages had wrong checksums; they are corrected when sent or saved";
inline constexpr char SavePartMidi[] = "Save Current Part in MIDI format..";
inline constexpr char SavePartMidiTitle[] = "save current part in MIDI format";
inline constexpr char Save8PartMidi[] = "Save 8 Part in MIDI format..";
inline constexpr char Save8PartMidiTitle[] = "save 8 part in MIDI format";

// Files from the desktop: the command line, a drop, the recent list.
inline constexpr char OpenRecent[] = "Open &Recent";
inline constexpr char ClearRecent[] = "&Clear This List";
inline constexpr char RecentGone[] = "%1 is no longer there; it is taken off the recent list.";
inline constexpr char NotAPatchFile[] =
    "%1 is not a patch file of the MC-505: it has %2 bytes, where an 8-part file has 9054 "
    "(or 9807), a part file 650 and a part R file 4504. Nothing was loaded.";
inline constexpr char PartFileOnRhythm[] =
    "%1 holds one of the parts 1-7, and part R is selected. Choose the part it should go "
    "to (Ctrl+1 ... Ctrl+7) and open it again.";
inline constexpr char DropOneFile[] = "Drop one .syx file at a time";

// Help.
inline constexpr char HelpAction[] = "Dorvane &Help";
inline constexpr char HelpTitle[] = "Dorvane Help";
inline constexpr char HelpMissing[] =
    "The manual is not beside the program (%1). Reinstall Dorvane, or read docs/manual.md "
    "in its source.";

// Sending.
inline constexpr char SendPart[] = "Send Patch on Current Part";
inline constexpr char SendPartHint[] = "Send patch SYSEX of current part trhough MIDI output";
inline constexpr char SendPartQuestion[] = "Send Part %1 Data to MC-505 now?";
inline constexpr char Send8Part[] = "Send 8 Part Sysex";
inline constexpr char Send8PartHint[] =
    "Send 8 part patch setup SYSEX currently on Dorvane through MIDI output";
inline constexpr char Send8PartQuestion[] = "Send Current 8 Part data to MC-505 Now?";
inline constexpr char SendFile[] = "Send Sysex File..";
inline constexpr char SendFileHint[] = "pick a sysex file and send it thru the midi out port";
inline constexpr char SendFileTitle[] = "Select a sysex file to send thru the MIDI output";
inline constexpr char SendGeneral[] = "Send general sysex file ...";
inline constexpr char SendGeneralTitle[] = "Send general sysex file..";
// The two sends of a file differ: this one takes only a whole 8 part file and
// makes its checksums right on the way; "Send Sysex File.." sends any sysex
// file as it stands.
inline constexpr char SendGeneralHint[] =
    "Send an 8 part sysex file with its checksums made right (the editor's own data stay as "
    "they are)";

// Receiving.
inline constexpr char GetPart[] = "Get Patch on Current Part from MC-505";
inline constexpr char GetPartQuestion[] = "Get Patch on Current part\r\nThis will replace data on "
                                          "your editor's current part\r\nContinue???";
inline constexpr char Get8Part[] = "Get 8 Part Sysex from MC-505";
inline constexpr char Get8PartQuestion[] = "Get Patch on Current 8 part\r\nThis will replace 8 "
                                           "part data on your editor's current part\r\nContinue???";
inline constexpr char GetFile[] = "Get Sysex File..";
inline constexpr char GetFileHint[] =
    "pick a file to save your sysex data in and then start dumping from your MIDI device";
inline constexpr char GetFileTitle[] = "Select a file to save your sysex data in";
inline constexpr char StartDumping[] = "start dumping from your MIDI device";
inline constexpr char RequestAll[] = "Request Temp Patch ";
inline constexpr char RequestPart[] = "Request Temp Patch on Current Part";
inline constexpr char SysexButton[] = "Press this button when Sysex is completely received";
inline constexpr char ReceivingPart[] = "Receiving part %1 from the MC-505";
inline constexpr char ReceivingAll[] = "Receiving all 8 parts from the MC-505";
inline constexpr char RecordingInto[] = "Recording sysex into %1";
inline constexpr char ReceptionWaiting[] =
    "Waiting for the instrument to answer. The button below ends the reception at any time.";
inline constexpr char ReceptionLoadsItself[] =
    "The dump loads by itself once it is complete. The button below ends it at any time.";
inline constexpr char ReceptionCount[] = "%1 bytes so far";
inline constexpr char ByteProgress[] = "%v of %m bytes";

// What a send did.
inline constexpr char Sending[] = "Sending %1 bytes (%2 messages)...";
inline constexpr char Sent[] = "Sent %1 bytes (%2 messages)";
inline constexpr char SendFailed[] = "Sending %1 bytes failed: %2";

// Send and Verify: a send read back and compared, and a Get that compares
// before it loads.
inline constexpr char SendVerifyPart[] = "Send and Verify Current Part";
inline constexpr char SendVerifyPartHint[] =
    "Send the current part, read it back from the MC-505 and list every parameter that came "
    "back otherwise";
inline constexpr char SendVerify8Part[] = "Send and Verify 8 Part";
inline constexpr char SendVerify8PartHint[] =
    "Send all 8 parts, read them back from the MC-505 and list every parameter that came back "
    "otherwise";
inline constexpr char VerifySending[] = "Sending %1 to the MC-505 to verify it";
inline constexpr char VerifySendingNote[] =
    "Once it has left it is read back and compared. The button below stops before the reading "
    "back.";
inline constexpr char VerifyReading[] = "Reading %1 back from the MC-505";
inline constexpr char TransferUnderWay[] = "A transfer is under way: wait for it to end";
inline constexpr char Verified[] = "Verified: the MC-505 holds %1 as sent";
inline constexpr char VerifyDiffers[] = "Verify: %1 on the MC-505";
inline constexpr char VerifyNotRead[] = "Sent %1, but it could not be read back: %2";
inline constexpr char VerifyStopped[] = "Sent %1 without verifying it";
inline constexpr char VerifySendFailed[] = "Send and Verify of %1 stopped, the send failed: %2";
inline constexpr char DiffersReason[] = "sent, but %1 came back otherwise";
inline constexpr char OneParameter[] = "1 parameter";
inline constexpr char Parameters[] = "%1 parameters";
inline constexpr char KeptMineReason[] = "the window's kept; the instrument holds another version";
inline constexpr char NotLoadedReason[] = "not loaded from the instrument, which holds another "
                                          "version";
inline constexpr char TakeTheirsStep[] = "Take theirs, part %1";
inline constexpr char TookTheirs[] = "Part %1 taken from the MC-505";
inline constexpr char DifferencesTitle[] = "%1 between the window and the MC-505";
inline constexpr char DifferencesNote[] =
    "take theirs: the instrument's version replaces the window's part (one step, Undo takes it "
    "back). keep mine: the window's part stays; after Send and Verify it is sent and verified "
    "again.";
inline constexpr char DifferencesClose[] = "Close";
inline constexpr char TakeTheirsHint[] =
    "The MC-505's version replaces the window's part: one step, Undo takes it back";
inline constexpr char KeepMineVerifyHint[] =
    "The window's part goes to the MC-505 again and is read back again";
inline constexpr char KeepMineGetHint[] = "The window's part stays; the dump's is not loaded";
inline constexpr char GetDiffers[] =
    "%1, where the window holds changes not saved to a file.\\r\\nLoad the dump and replace "
    "them?";
inline constexpr char GetLoad[] = "Load";
inline constexpr char GetShowDifferences[] = "Show the differences";
inline constexpr char GetDontLoad[] = "Don't load";
inline constexpr char GetNotLoaded[] = "Received %1 bytes: not loaded, the window's changes kept";
inline constexpr char GetShown[] =
    "Received %1 bytes: nothing loaded yet; take theirs or keep mine, part by part";

// Shake.
inline constexpr char ShakePatch[] = "Shake Patch..";
inline constexpr char ShakePatchHint[] = "Deviate parameters of the tone selected";
inline constexpr char UndoShake[] = "Undo Shake";
inline constexpr char UndoShakeQuestion[] = "Undo Shake?";
inline constexpr char ShakeQuestion[] = // after "LINEAR" or "NON-LINEAR"
    " Shake\r\n*Shake Patch will change your current part data\r\nAre you sure to shake patch?";
inline constexpr char ShakeSendsPart[] = // after ShakeQuestion when Auto Send is on
    "\r\n*Auto Send Patch Shake then sends Part %1 to MC-505, replacing it there";
inline constexpr char BeforeShaken[] = "before shaken: ";
inline constexpr char WasntShaken[] = "wasn't shaken";
inline constexpr char Shaken[] = "Shaken";
inline constexpr char ShakenHint[] = "this option will be saved for the next time you run Dorvane";
inline constexpr char DisableShakenGroup[] = "Disable Shaken this group";
inline constexpr char EnableShakenGroup[] = "Enable Shaken this group";
inline constexpr char InvertShaken[] = "Invert Shaken";
inline constexpr char ShakeType[] = "Shake Type";
inline constexpr char ShakeTypeHint[] = "Shake Type - linear and non-linear";
inline constexpr char ShakeLinear[] = "linear";
inline constexpr char ShakeNonLinear[] = "non-linear";
inline constexpr char ShakeAmountHint[] = "Amount of deviation (+/-) for Patch Shake";
inline constexpr char AutoSendShake[] = "Auto Send Patch Shake";
inline constexpr char AutoSendShakeHint[] = "Automatically Send update MC-505 after patch shake";
inline constexpr char ShakeWaveform[] = "Shake Waveform";
inline constexpr char ShakeWaveformHint[] = "Patch Shake also moves the wave through the wave list";

// The history of changes (Edit menu).
inline constexpr char Undo[] = "Undo";
inline constexpr char Redo[] = "Redo";
inline constexpr char UndoHint[] =
    "Take back the last change to the patches; the instrument follows";
inline constexpr char RedoHint[] = "Make the change taken back again; the instrument follows";
inline constexpr char Undone[] = "Undone: %1";
inline constexpr char Redone[] = "Redone: %1";

// Copying tones and drum notes, and extracting drum notes from a file.
inline constexpr char CopyToneOrDrum[] = "Copy Tone or Drum note..";
inline constexpr char ExtractDrumNotes[] = "Extract drum notes from a 8 part file..";
inline constexpr char ExtractTitle[] = "Extract drum notes from file..";
inline constexpr char Done[] = "Done!";
inline constexpr char ToneCopyStatus[] = "Tone Copy (press ESC or click Done on the menu to exit)";
inline constexpr char DrumCopyStatus[] =
    "Drum Note Copy  (press ESC or click Done on the menu to exit)";
inline constexpr char ExtractingStatus[] = "Extracting drum notes from file, ";
inline constexpr char CommonOnly[] = "Common Tone must be copied to Common Tone only. Try again.";
inline constexpr char From[] = "From";
inline constexpr char To[] = "To";
inline constexpr char CopyFrom[] = "Copy From..";
inline constexpr char CopyTo[] = "..To";
inline constexpr char ListInfoHint[] = "Double Click to see some info";
inline constexpr char KitRefused[] =
    "%1 is not an 8 part file of the MC-505, nothing taken from it: %2";

// Patch tools.
inline constexpr char Morph[] = "&Morph...";
inline constexpr char MorphHint[] =
    "Blend the current part towards another sound with a slider, hearing it as it moves";
inline constexpr char MorphTitle[] = "Morph part %1";
inline constexpr char MorphA[] = "A: %1";
inline constexpr char MorphB[] = "B:";
inline constexpr char MorphSourceHint[] =
    "The sound to morph towards: another part, a part of a file or a library entry";
inline constexpr char MorphFile[] = "From File...";
inline constexpr char MorphFileHint[] =
    "Add the parts of a patch file to the sounds to morph towards";
inline constexpr char MorphLibrary[] = "From Library";
inline constexpr char MorphLibraryHint[] =
    "Add the library's selected entry to the sounds to morph towards";
inline constexpr char MorphSliderHint[] =
    "Levels and times blend; switches, waves and lists are A's below the middle and B's from it";
inline constexpr char MorphNoSource[] = "No sound of this part's kind to morph towards yet";
inline constexpr char MorphNoLibraryEntry[] = "Select a library entry of this part's kind first";
inline constexpr char Keep[] = "Keep";
inline constexpr char KeepMorphHint[] = "Keep the sound as it stands, as one step of Undo";
inline constexpr char Cancel[] = "Cancel";
inline constexpr char CancelMorphHint[] =
    "Put the part back as it was, in the window and on the instrument";
inline constexpr char Breed[] = "&Breed...";
inline constexpr char BreedHint[] =
    "Choose among variations of the current part and breed the next ones from your favourites";
inline constexpr char BreedTitle[] = "Breed part %1, generation %2";
inline constexpr char BreedAmount[] = "Amount";
inline constexpr char BreedAmountHint[] =
    "How far the first variations move from the sound, by the shake's rules and flags";
inline constexpr char BreedTileHint[] = "Click to hear this variation";
inline constexpr char BreedFavourite[] = "favourite";
inline constexpr char BreedFavouriteHint[] =
    "Mark one to three favourites; the next generation is bred from them";
inline constexpr char BreedNext[] = "Next Generation";
inline constexpr char BreedNextHint[] = "Eight new variations, each group of parameters from one "
                                        "of the favourites, then shaken a little";
inline constexpr char BreedFirst[] = "Start Again";
inline constexpr char BreedFirstHint[] =
    "Eight new variations around the sound the breed started from";
inline constexpr char Back[] = "Back";
inline constexpr char BackHint[] = "Back to the previous generation";
inline constexpr char KeepBreedHint[] = "Keep the variation heard last, as one step of Undo";
inline constexpr char CancelBreedHint[] =
    "Put the part back as it was, in the window and on the instrument";
inline constexpr char BreedChanges[] = "%1 changes";
inline constexpr char DrumMixer[] = "Drum Part Mixer..";
inline constexpr char DrumMixerHint[] = "Set one parameter of many drum notes of part R at once";
inline constexpr char DrumMixerCaption[] = "Drum Part Mixer (part R)";
inline constexpr char DrumMixerListHint[] =
    "Select the drum notes to change (Ctrl-click, Shift-click), then move the fader";
inline constexpr char DrumMixerFaderHint[] = "Let go to set the selected drum notes to this value";
inline constexpr char DrumMixerClose[] = "close";
inline constexpr char DrumMixerCloseHint[] = "Back to the sheets (Esc)";
inline constexpr char CcLookUp[] = "CC Look Up";
inline constexpr char CcLookUpHint[] =
    "Control Change Value lookup (referring to the current shown tone";
inline constexpr char CcLookUpOnPartR[] =
    "CC Look Up works on the tones of parts 1 to 7, not on part R";
inline constexpr char SwapModel[] = "S&wap SuperJV/XP <-> MC-505 sys-ex file..";
inline constexpr char SwapModelHint[] =
    "Convert a patch sysex file between SuperJV/XP and MC-505 (waveforms are not mapped)";
inline constexpr char SwapSourceTitle[] = "Select Sys-Ex file to convert";
inline constexpr char SwapTargetTitle[] = "The converted file will be named as..";
inline constexpr char SwapDone[] = "DONE!\r\nPlease note that SuperJV/XP and MC-505 have different "
                                   "sets of waveforms\r\nYou will have to select waveforms "
                                   "manually on your synth after conversion";

// The texts carry their line breaks as "\r\n", written out; the boxes want them real.
inline QString withLineBreaks(const QString& text)
{
    return QString(text).replace("\\r\\n", "\r\n");
}

} // namespace dorvane::texts
