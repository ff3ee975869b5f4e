// SPDX-License-Identifier: GPL-3.0-or-later
// A drag on a value control of the real main window, sent as it goes or on
// its release only, as the musician chose.
#include "windowrig.h"

#include "patch/parameteraddress.h"
#include "patch/rolandmessage.h"

#include <QCheckBox>

#include <gtest/gtest.h>

#include <map>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::WindowRig;

namespace {

constexpr int Part = 2;
constexpr int Steps = 12;

std::string cutoff(int tone, int value)
{
    return test::hex(parameterMessage(tsMC505, toneAddress(Part, tone, 81), value));
}

} // namespace

TEST(MainWindowDrag, StepsAreSentThinnedOnlyWhenChosenAndTheReleaseIsHeardLast)
{
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on ? "send while dragging" : "send on release");
        WindowRig rig;
        MainWindow& w = rig.openPlaying();
        w.sheets().sendWhileDraggingBox()->setChecked(on);
        EXPECT_EQ(w.session().sendWhileDragging(), on);
        EXPECT_EQ(rig.stored("sendwhiledragging") == "1", on);
        w.sheets().selectPart(Part);
        w.session().setToneSelected(3, true);
        rig.take();
        const int start = w.image().ReadByte(Part, 1, 81);
        const std::size_t steps = w.session().history().undoCount();

        test::dragLeft(rig.control("cutoff"), Steps);
        const int end = start - Steps;
        EXPECT_EQ(w.image().ReadByte(Part, 1, 81), end);
        EXPECT_EQ(w.image().ReadByte(Part, 3, 81), end);
        const Messages sent = rig.take();
        if (!on) {
            EXPECT_EQ(sent, (Messages{cutoff(1, end), cutoff(3, end)}));
        } else {
            // Steps were heard, never more than were offered, and each
            // tone's last message is the release's value.
            EXPECT_GT(sent.size(), 2u);
            EXPECT_LE(sent.size(), std::size_t(2 * Steps + 2));
            std::map<int, std::string> last;
            for (const std::string& m : sent) {
                const bool tone1 = m.substr(0, 27) == cutoff(1, 0).substr(0, 27);
                ASSERT_TRUE(tone1 || m.substr(0, 27) == cutoff(3, 0).substr(0, 27)) << m;
                last[tone1 ? 1 : 3] = m;
            }
            EXPECT_EQ(last[1], cutoff(1, end));
            EXPECT_EQ(last[3], cutoff(3, end));
        }
        // The drag is one step, and one Undo takes it back on both sides.
        EXPECT_EQ(w.session().history().undoCount(), steps + 1);
        w.history().undo();
        EXPECT_EQ(w.image().ReadByte(Part, 1, 81), start);
        EXPECT_EQ(w.image().ReadByte(Part, 3, 81), start);
        EXPECT_FALSE(rig.take().empty());
    }
}
