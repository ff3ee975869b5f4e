// SPDX-License-Identifier: GPL-3.0-or-later
// The part hash through libcrypto, loaded when first wanted, gives Qt's bytes.
#include "library/sha1.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

using namespace dorvane;

TEST(Sha1, LibcryptoLoadedWhenWantedGivesQtsBytes)
{
    // Around SHA-1's 64-byte blocks and its 55-byte padding edge, and a part's size;
    // whole, and in pieces as a part's messages are hashed.
    for (const int size : {0, 1, 55, 56, 63, 64, 65, 1000, 4099}) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char((i * 131 + size) & 0xff);
        const QByteArray qts = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
        const QByteArrayView whole[] = {bytes};
        EXPECT_EQ(sha1(whole).toHex(), qts) << size << " bytes";
        const QByteArrayView view(bytes);
        const QByteArrayView pieces[] = {view.first(size / 3), view.sliced(size / 3, size / 2),
                                         view.sliced(size / 3 + size / 2)};
        EXPECT_EQ(sha1(pieces).toHex(), qts) << size << " bytes in pieces";
    }
    if (!sha1FromLibcrypto())
        GTEST_SKIP() << "libcrypto 3 not found here: the hashes above were Qt's own";
}
