// SPDX-License-Identifier: GPL-3.0-or-later
// The library's texts, each written once: the panel's captions and hints, its
// questions and the status messages of loads, auditions and saves.
#pragma once

namespace dorvane::texts {

inline constexpr char Library[] = "Library";
inline constexpr char LibraryHint[] = "Show or hide the library of patch files on disk";
inline constexpr char LibrarySearchHint[] = "Search names, tags and file names";
inline constexpr char LibraryFavourites[] = "Favourites";
inline constexpr char LibraryKits[] = "Part R kits";
inline constexpr char LibraryDuplicates[] = "Duplicates";

inline constexpr char LibraryAudition[] = "Audition";
inline constexpr char LibraryAuditionHint[] =
    "Play the part on the instrument in place of the current part, without asking; "
    "your own part stays in the window and comes back with Esc";
inline constexpr char LibraryLoad[] = "Load";
inline constexpr char LibraryLoadHint[] =
    "Load the part onto the current part (part R kits onto part R) and send it";
inline constexpr char LibraryFavourite[] = "Add to Favourites";
inline constexpr char LibraryUnfavourite[] = "Remove from Favourites";
inline constexpr char LibraryTags[] = "Tags...";
inline constexpr char LibraryTagsTitle[] = "Tags of %1";
inline constexpr char LibraryTagsLabel[] = "Tags, separated by commas:";
inline constexpr char LibraryOpenFile[] = "Open Whole File";
inline constexpr char LibraryOpenFileHint[] = "Open the 8 part file this part comes from";
inline constexpr char LibraryShowFolder[] = "Show in Folder";
inline constexpr char LibrarySavePart[] = "Save Current Part to Library...";
inline constexpr char LibrarySaveTitle[] = "Save current part to library";
inline constexpr char LibrarySaveLabel[] = "Library folder:";
inline constexpr char LibraryAddFolder[] = "Add Folder...";
inline constexpr char LibraryAddFolderTitle[] = "Add a folder of patch files to the library";
inline constexpr char LibraryRemoveFolder[] = "Remove Folder...";
inline constexpr char LibraryRemoveFolderTitle[] = "Remove a folder from the library";
inline constexpr char LibraryRemoveFolderLabel[] =
    "Folder (its files stay on disk; their favourites and tags are forgotten):";
inline constexpr char LibraryRescan[] = "Read Folders Again";
inline constexpr char LibraryOthers[] = "Files Not Listed...";
inline constexpr char LibraryMore[] = "More";

// The panel's status line.
inline constexpr char LibraryShown[] = "%1 of %2 parts in %3 files";
inline constexpr char LibraryReading[] = "Reading %1 of %2 files...";
inline constexpr char LibraryCounting[] = "Counting files... %1 found";
inline constexpr char LibraryReadingIndex[] = "Reading the library...";
inline constexpr char LibraryEmpty[] =
    "No folders yet: \"Add Folder...\" reads every .syx and MIDI file under a folder";
inline constexpr char LibraryNoOthers[] = "Every .syx and MIDI file in the library holds patches.";
// %1 how many, %2 the list.
inline constexpr char LibraryOtherList[] = "%1 files hold no patches of the MC-505:\r\n%2";
// %1 files read, %2 of them no patch files, %3 files gone, %4 parts in all.
inline constexpr char LibraryScanDone[] =
    "Library read: %1 new or changed files (%2 no patch files), %3 gone; %4 parts in all";
inline constexpr char LibraryRescanning[] = "Reading the library's folders again";
inline constexpr char LibraryMissing[] = "Not there (kept until it is back): %1";

// Loads. %1 the patch name, %2 the part.
inline constexpr char LibraryLoadStep[] = "Load %1 from the library, part %2";
inline constexpr char LibraryLoaded[] = "%1 loaded onto part %2 and sent";
inline constexpr char AuditionEnded[] = "Part %1 plays its own sound again";
inline constexpr char LibraryAuditioned[] =
    "Auditioning %1 on part %2 (Esc gives the part its own sound back, Load keeps this one)";
inline constexpr char LibraryNormalOnRhythm[] =
    "%1 is a patch for parts 1-7: choose one of them first, or drag it onto its PART button";
inline constexpr char LibraryRhythmOnNormal[] = "%1 is a part R kit: it goes onto part R only";
// %1 the file, %2 the reason.
inline constexpr char LibraryFileChanged[] =
    "%1 has changed since the library read it (%2); it is read again, nothing was loaded";
inline constexpr char LibraryNoImage[] = "%1 is no 8 part file";
inline constexpr char LibrarySaved[] = "Saved %1 to the library";
inline constexpr char LibraryNoFolder[] =
    "The library has no folder yet: add one first (\"Add Folder...\")";
inline constexpr char LibraryUnavailable[] = "The library is not open: %1";

// Banks, "sounds like this" and comparing two parts.
inline constexpr char LibraryExportBank[] = "Export as Bank...";
inline constexpr char LibraryExportBankHint[] =
    "Put the selected parts into one 8 part file (.syx or .mid), each on the part you choose";
inline constexpr char LibraryBankTitle[] = "Export as bank";
inline constexpr char LibraryBankPartLabel[] = "Part for %1:";
inline constexpr char LibraryBankFilter[] = "Patch file (*.syx);;MIDI file (*.mid)";
inline constexpr char LibraryBankWritten[] = "Bank %1 written: %2";
inline constexpr char LibraryBankRefused[] = "No bank written: %1";
inline constexpr char LibraryBankTooMany[] =
    "A bank holds 7 normal parts and one kit: choose fewer parts";
inline constexpr char LibrarySoundsLike[] = "Sounds Like This";
inline constexpr char LibrarySoundsLikeHint[] = "List the parts nearest in sound to this one";
inline constexpr char LibraryNearest[] = "%1 parts nearest in sound to %2 (0: the same sound)";
inline constexpr char LibraryNoLikeness[] = "%1 is a part R kit: kits are not compared by sound";
inline constexpr char LibraryCompare[] = "Compare the Two Parts";
inline constexpr char LibraryCompareHint[] =
    "Show every parameter in which the two selected parts differ";
inline constexpr char LibraryCompareTitle[] = "%1 (%2) against %3 (%4): %5 differences";
inline constexpr char LibraryCompareKinds[] = "A part R kit and a normal part cannot be compared";
inline constexpr char LibraryCompareBack[] = "Back to the Sheets";

} // namespace dorvane::texts
