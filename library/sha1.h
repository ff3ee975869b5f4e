// SPDX-License-Identifier: GPL-3.0-or-later
// The SHA-1 of a part's bytes: through OpenSSL's libcrypto, loaded the first
// time a hash is wanted (a run that never reads a patch file never loads it),
// or through Qt's own where libcrypto is not found. The same bytes either way.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <span>

namespace dorvane {

// The hash of the pieces one after the other, as if they were joined.
QByteArray sha1(std::span<const QByteArrayView> pieces);

// Whether the hashes come from libcrypto: it was found and has been loaded.
bool sha1FromLibcrypto();

} // namespace dorvane
