// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu and the image's files: opening and saving whole images and
// parts, the MIDI-file exports, AutoSave, Initialize Patch, the image kept
// between runs, and what "changes not saved" means.
#pragma once

#include "editor/windowpart.h"
#include "patch/rolandmessage.h"

#include <QString>

#include <cstddef>
#include <optional>

namespace dorvane {

class FileCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit FileCommands(const WindowParts& parts);

    // What a file did for the window, for fileTaken().
    enum class FileUse
    {
        OpenedImage,
        SavedImage,
        OpenedPart,
        SavedPart,
    };

    // The backup timer's tick: saves the image to the chosen AutoSave file, if any.
    void autoSaveTick();
    // Opens a whole image (9054 bytes, or 9807 with a leading block): what the
    // File menu, the command line, a drop and the recent files all go through.
    // Asks first when it would replace changes not saved; false when nothing
    // was loaded (a refused file has been reported).
    bool loadImageFile(const QString& file);
    // The file the image was last opened from or saved to, or empty.
    QString imageFile() const { return m_imageFile; }
    // Whether the image (or one part of it) differs from what was last opened
    // or saved; checksums aside.
    bool hasUnsavedChanges(std::optional<int> part = std::nullopt) const;
    std::optional<QString> askOpen(const char* title);
    std::optional<QString> askSave(const char* title, const QString& startName,
                                   const QString& suffix = "syx");
    void open8Part();
    void openPartFile();
    // A checked part block onto the current part, as one step of the history:
    // the File menu's part open and the library's loads both come this way.
    bool loadPartBlock(ByteView block, const QString& step, std::size_t wrongChecksums,
                       const QString& file);
    bool loadPartFileOnCurrentPart(const QString& file);
    void save8Part();
    void savePartFile();
    // The file a patch name is offered as, in the folder of the last save.
    QString besideLastSave(const QString& patchName) const;
    void chooseAutoSaveFile();
    void initializePatch();
    void savePartMidi();
    void save8PartMidi();
    // Asks `question` when the part (or the whole image) holds changes not
    // saved; true to go ahead.
    bool mayReplace(std::optional<int> part, const QString& question);
    void updateTitle();
    // The image of the last run, or perf.syx; nothing is sent. What to tell
    // the musician about perf.syx, if anything.
    QString loadStartImage();
    // False, with the reason, when the image could not be kept.
    bool keepImageForNextStart(QString* problem);
    QString& saveFileName() { return m_saveFileName; }
    QString& openFileName() { return m_openFileName; }

signals:
    // A file was opened or saved by the user (a whole image, or one part).
    void fileUsed(const QString& file, bool wholeImage);

private:
    // perf.syx into the image; what to tell the musician about it, if anything.
    QString loadPerfImage();
    // A part file's checked block for the current part, or why it cannot be one.
    std::optional<QString> readPartFile(const QString& file, Bytes& block);
    // The first status panel tells about messages whose checksums a file had wrong.
    void reportWrongChecksums(const QString& file, std::size_t wrong, std::size_t messages);
    // The one place every open and save of a file passes through: the status
    // word, the folder the next open starts in, and for whole images the file
    // in the caption and the start of "changes not saved".
    void fileTaken(const QString& file, FileUse use);
    QString keptImagePath() const;

    QString m_imageFile;      // last opened or saved whole image, or empty
    Bytes m_savedImage;       // the image as that file holds it (empty: unknown)
    QString m_lastGoodFolder; // where the last file that opened or saved lies
    QString m_saveFileName;   // the save dialog's remembered file name
    QString m_openFileName;   // the open dialog's
};

} // namespace dorvane
