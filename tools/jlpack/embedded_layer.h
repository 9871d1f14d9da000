// The embedded settings layer jlpack writes: two enciphered data resources (see
// config/embedded_cipher.h), as RCDATA in a Windows executable and as records of the
// reserved area in the Linux one.
#pragma once

#include "byte_io.h"

#include <string>

namespace jlpack {

struct EmbeddedLayer {
    Bytes keyResource;       // id 9000: the key text, keyed by the upgrade code
    Bytes settingsResource;  // id 8000: the settings text, keyed by the key text
};

// The settings text of an embedded-settings file: UTF-8 (with or without byte order
// mark) or UTF-16 with its mark, line ends made CR LF.
[[nodiscard]] bool decodeSettingsText(const Bytes& file, std::wstring& text, std::wstring& error);

// Enciphers `settingsText`. Without a key text a random one is made and the nonces are
// random; with one the nonces derive from key and text, so the same inputs give the
// same bytes (a nonce then repeats only together with its whole plaintext).
[[nodiscard]] bool encipherLayer(const std::wstring& upgradeCode, const std::wstring* keyText,
                                 const std::wstring& settingsText, EmbeddedLayer& layer, std::wstring& error);

// The settings text of a layer, when the upgrade code opens it.
[[nodiscard]] bool decipherLayer(const std::wstring& upgradeCode, const EmbeddedLayer& layer, std::wstring& text);

// The reserved area of the Linux launcher: filled in place, or read back.
[[nodiscard]] bool writeReservedArea(Bytes& file, const EmbeddedLayer& layer, std::wstring& error);
[[nodiscard]] bool readReservedArea(const Bytes& file, EmbeddedLayer& layer, std::wstring& error);

[[nodiscard]] bool randomBytes(uint8_t* out, size_t size, std::wstring& error);

}  // namespace jlpack
