// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/sha1.h"

#include <QCryptographicHash>
#include <QLibrary>

#include <memory>
#include <optional>
#include <utility>

namespace dorvane {

namespace {

// OpenSSL 3's digest interface, as libcrypto exports it; the handles are
// opaque, and the functions are looked up by name when the library loads.
// Linking it would load its thousands of relocations at every start, for a
// hash only a library scan needs; its SHA-1 uses the processor's SHA
// instructions where there are some, four times as fast as Qt's here.
struct Libcrypto
{
    using MdFetch = void* (*)(void* libraryContext, const char* algorithm, const char* properties);
    using CtxNew = void* (*)();
    using CtxFree = void (*)(void*);
    using DigestInit = int (*)(void* context, const void* md, const void* params);
    using DigestUpdate = int (*)(void* context, const void* data, std::size_t size);
    using DigestFinal = int (*)(void* context, unsigned char* digest, unsigned int* size);

    CtxNew ctxNew = nullptr;
    CtxFree ctxFree = nullptr;
    DigestInit init = nullptr;
    DigestUpdate update = nullptr;
    DigestFinal final = nullptr;
    void* md = nullptr; // SHA-1, fetched once

    bool usable() const { return md != nullptr; }
};

// Each platform names it its own way; version 3 is the interface above.
constexpr std::pair<const char*, int> LibcryptoNames[] = {
    {"crypto", 3},           // libcrypto.so.3, libcrypto.3.dylib
    {"libcrypto-3-x64", -1}, // Windows
    {"libcrypto-3", -1},
};

const Libcrypto& libcrypto()
{
    // Made once, by whichever thread hashes first.
    static const Libcrypto loaded = [] {
        Libcrypto l;
        QLibrary library;
        // Its functions are called until the program ends.
        library.setLoadHints(QLibrary::PreventUnloadHint);
        for (const auto& [name, version] : LibcryptoNames) {
            if (version >= 0)
                library.setFileNameAndVersion(name, version);
            else
                library.setFileName(name);
            if (library.load())
                break;
        }
        if (!library.isLoaded())
            return l;
        auto fetch = reinterpret_cast<Libcrypto::MdFetch>(library.resolve("EVP_MD_fetch"));
        l.ctxNew = reinterpret_cast<Libcrypto::CtxNew>(library.resolve("EVP_MD_CTX_new"));
        l.ctxFree = reinterpret_cast<Libcrypto::CtxFree>(library.resolve("EVP_MD_CTX_free"));
        l.init = reinterpret_cast<Libcrypto::DigestInit>(library.resolve("EVP_DigestInit_ex2"));
        l.update = reinterpret_cast<Libcrypto::DigestUpdate>(library.resolve("EVP_DigestUpdate"));
        l.final = reinterpret_cast<Libcrypto::DigestFinal>(library.resolve("EVP_DigestFinal_ex"));
        if (fetch && l.ctxNew && l.ctxFree && l.init && l.update && l.final)
            l.md = fetch(nullptr, "SHA1", nullptr);
        return l;
    }();
    return loaded;
}

struct ContextFree
{
    void operator()(void* context) const { libcrypto().ctxFree(context); }
};

std::optional<QByteArray> libcryptoSha1(std::span<const QByteArrayView> pieces)
{
    const Libcrypto& lib = libcrypto();
    if (!lib.usable())
        return std::nullopt;
    // A context of its own for each thread that hashes.
    thread_local const std::unique_ptr<void, ContextFree> context(lib.ctxNew());
    if (!context || lib.init(context.get(), lib.md, nullptr) != 1)
        return std::nullopt;
    for (const QByteArrayView piece : pieces)
        if (lib.update(context.get(), piece.data(), std::size_t(piece.size())) != 1)
            return std::nullopt;
    // EVP_MAX_MD_SIZE: room for any digest libcrypto makes.
    unsigned char digest[64];
    unsigned int size = 0;
    if (lib.final(context.get(), digest, &size) != 1)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(digest), qsizetype(size));
}

} // namespace

QByteArray sha1(std::span<const QByteArrayView> pieces)
{
    if (auto hash = libcryptoSha1(pieces))
        return *hash;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QByteArrayView piece : pieces)
        hash.addData(piece);
    return hash.result();
}

bool sha1FromLibcrypto()
{
    return libcrypto().usable();
}

} // namespace dorvane
