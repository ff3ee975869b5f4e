// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/bankexport.h"

#include "library/patchfileparts.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/midifile.h"
#include "patch/t505temppatch.h"

#include <QFile>

#include <set>

namespace dorvane {

Bank makeBank(const std::vector<BankPart>& parts, ByteView baseImage)
{
    Bank bank;
    if (parts.empty()) {
        bank.problem = "no parts were chosen";
        return bank;
    }
    if (checkSysexFile(baseImage).kind != SysexFileKind::Image) {
        bank.problem = "the base image is no 8 part image";
        return bank;
    }
    t505temppatch image;
    image.LoadFromBytes(baseImage);
    std::set<int> taken;
    for (const BankPart& p : parts) {
        const bool rhythmSlot = p.part == RhythmPart;
        if (!rhythmSlot && (p.part < 0 || p.part >= NormalPartCount)) {
            bank.problem = QString("%1: there is no part %2").arg(p.name).arg(p.part + 1);
            return bank;
        }
        if (rhythmSlot != p.rhythm) {
            bank.problem = p.rhythm
                               ? QString("%1 is a part R kit: it goes on part R").arg(p.name)
                               : QString("%1 is a normal part: part R holds only kits").arg(p.name);
            return bank;
        }
        if (!taken.insert(p.part).second) {
            bank.problem = QString("two parts were put on part %1").arg(partText(p.part));
            return bank;
        }
        if (!image.LoadPartBlock(p.block, p.part)) {
            bank.problem = QString("%1 is no complete part").arg(p.name);
            return bank;
        }
    }
    bank.image = image.AllBytes();
    return bank;
}

std::optional<std::vector<int>> partsInOrder(const std::vector<bool>& rhythm)
{
    std::vector<int> out;
    int next = 0;
    bool kit = false;
    for (const bool r : rhythm) {
        if (r) {
            if (kit)
                return std::nullopt;
            kit = true;
            out.push_back(RhythmPart);
        } else {
            if (next == NormalPartCount)
                return std::nullopt;
            out.push_back(next++);
        }
    }
    return out;
}

void writeBank(const QString& file, ByteView image)
{
    const bool mid =
        file.endsWith(".mid", Qt::CaseInsensitive) || file.endsWith(".midi", Qt::CaseInsensitive);
    writeFileAtomically(QFile::encodeName(file).toStdString(),
                        mid ? midiFileBytes(image) : Bytes(image.begin(), image.end()));
}

FilePartReading bankPartFromFile(const QString& file, int position)
{
    FilePartReading r;
    Bytes bytes;
    try {
        bytes = readWholeFile(QFile::encodeName(file).toStdString());
    } catch (const FileError& e) {
        r.problem = QString("%1 %2").arg(file, QString::fromStdString(e.reason()));
        return r;
    }
    const FileBlocks blocks = fileBlocks(bytes);
    if (blocks.kind == LibraryFileKind::Other) {
        r.problem = QString("%1 is no patch file: %2").arg(file, blocks.reason);
        return r;
    }
    for (const FileBlocks::Block& b : blocks.blocks)
        if (b.position == position) {
            r.part = BankPart{b.bytes, b.part == RhythmPart, patchNameIn(b.bytes), 0};
            return r;
        }
    r.problem = QString("%1 holds %2 part(s); there is no part %3 in it")
                    .arg(file)
                    .arg(blocks.blocks.size())
                    .arg(position + 1);
    return r;
}

std::optional<int> partFromText(const QString& text)
{
    if (text.compare("R", Qt::CaseInsensitive) == 0)
        return RhythmPart;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > NormalPartCount)
        return std::nullopt;
    return n - 1;
}

QString partText(int part)
{
    return part == RhythmPart ? QString("R") : QString::number(part + 1);
}

} // namespace dorvane
