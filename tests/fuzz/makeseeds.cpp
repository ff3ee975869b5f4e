// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the committed seed corpora of the fuzz targets: valid files and
// streams made by the program's own code, one folder per target. Run it
// after a change of the formats: fuzz-makeseeds tests/fuzz/corpus
#include "patch/fileio.h"
#include "patch/identity.h"
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/modelconversion.h"
#include "patch/rolandmessage.h"
#include "patch/t505temppatch.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <variant>

using namespace dorvane;

namespace {

// Every part named and given values of its own, checksums right.
Bytes namedImage()
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    for (int part = 0; part < NormalPartCount; ++part) {
        p.SetPatchName(part, "SEED " + std::to_string(part + 1));
        for (int tone = 1; tone <= ToneCount; ++tone)
            p.WriteByte(part, tone, 81, 20 + part * 4 + tone);
    }
    p.SetPatchName(RhythmPart, "SEED KIT");
    return p.AllBytes();
}

Bytes messagesReversed(ByteView bytes)
{
    auto list = splitSysex(bytes);
    std::reverse(list.begin(), list.end());
    Bytes out;
    for (ByteView m : list)
        out.insert(out.end(), m.begin(), m.end());
    return out;
}

Bytes with(std::uint8_t first, ByteView rest)
{
    Bytes out{first};
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

Bytes joined(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz-makeseeds FOLDER\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    auto put = [&root](const std::string& target, const std::string& name, ByteView bytes) {
        std::filesystem::create_directories(root / target);
        writeFileAtomically((root / target / name).string(), bytes);
    };

    const Bytes image = namedImage();
    t505temppatch p;
    p.LoadFromBytes(image);
    const Bytes part3 = p.PartBytes(2);
    const Bytes rhythm = p.PartBytes(RhythmPart);
    Bytes stale = image;
    stale[84] ^= 1; // one wrong checksum: loads, and is counted
    Bytes leading(LeadingBlockSize, 0x00);
    leading.insert(leading.end(), image.begin(), image.end());

    put("fileload", "image.syx", image);
    put("fileload", "stale.syx", stale);
    put("fileload", "leading.syx", leading);
    put("fileload", "part3.syx", part3);
    put("fileload", "rhythm.syx", rhythm);

    // The first byte says what was asked for: 0..6 a part, 7 part R, 8 the whole area.
    put("dump", "image", with(8, messagesReversed(image)));
    put("dump", "part3", with(2, part3));
    put("dump", "rhythm", with(7, messagesReversed(rhythm)));

    put("conversion", "mc505-part.syx", part3);
    put("conversion", "mc505-image.syx", image);
    const ConversionResult jv = convertModel(part3);
    if (const auto* bytes = std::get_if<Bytes>(&jv))
        put("conversion", "jvxp-part.syx", *bytes);

    put("midifile", "image.syx", image);
    put("midifile", "part3.syx", part3);
    put("midifile", "identity.syx", Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});

    put("midifileread", "image.mid", midiFileBytes(image));
    put("midifileread", "part3.mid", midiFileBytes(part3));
    put("midifileread", "rhythm.mid", midiFileBytes(rhythm));

    put("describe", "parameter", parameterMessage(tsMC505, {0x02, 0x03, 0x12, 81}, 100));
    put("describe", "wave", waveMessage(tsMC505, 0x02, 0x01, 0x16, 300));
    put("describe", "name", nameMessage(tsMC505, "PAD", 0x02, 0x02));
    put("describe", "request", requestAllMessage());
    put("describe", "note", Bytes{0x92, 0x3C, 0x60});
    put("describe", "controller", Bytes{0xBF, 0x78, 0x00});

    put("instrument", "requests",
        joined({requestAllMessage(), requestPartMessage(3), requestRhythmMessage()}));
    put("instrument", "edits",
        joined({parameterMessage(tsMC505, {0x02, 0x00, 0x10, 0x05}, 77),
                parameterMessage(tsMC505, {0x02, 0x04, 0x11, 0x00}, 200),
                nameMessage(tsMC505, "EDITED", 0x02, 0x09), Bytes{0x90, 0x3C, 0x64},
                Bytes{0x80, 0x3C, 0x00}, requestPartMessage(0)}));
    put("instrument", "image", image);
    put("instrument", "identity",
        joined({identityRequestMessage(), nameRequestMessage(DeviceId), nameRequestMessage(0x11)}));
    return 0;
}
