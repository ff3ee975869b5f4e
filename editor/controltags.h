// SPDX-License-Identifier: GPL-3.0-or-later
// Tag1 … Tag5: free integers a control carries for the window that uses it
// (a controller number, the default shake membership, and so on); the control
// itself gives them no meaning.
#pragma once

#include <array>

namespace dorvane {

class ControlTags
{
public:
    int Tag1() const { return m_tags[0]; }
    void SetTag1(int tag) { m_tags[0] = tag; }
    int Tag2() const { return m_tags[1]; }
    void SetTag2(int tag) { m_tags[1] = tag; }
    int Tag3() const { return m_tags[2]; }
    void SetTag3(int tag) { m_tags[2] = tag; }
    int Tag4() const { return m_tags[3]; }
    void SetTag4(int tag) { m_tags[3] = tag; }
    int Tag5() const { return m_tags[4]; }
    void SetTag5(int tag) { m_tags[4] = tag; }

private:
    std::array<int, 5> m_tags{};
};

} // namespace dorvane
