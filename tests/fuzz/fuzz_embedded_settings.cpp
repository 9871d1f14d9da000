// The embedded settings parser and the resource decipherer take bytes from the
// executable file, which anyone may edit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/embedded_cipher.h"
#include "config/embedded_settings.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);

    // Every key of the first section of a name is found, with its first value.
    const jl::EmbeddedSettings settings = jl::EmbeddedSettings::parse(text);
    const auto& sections = settings.sections();
    for (size_t i = 0; i < sections.size(); ++i) {
        bool firstOfItsName = true;
        for (size_t j = 0; j < i && firstOfItsName; ++j) firstOfItsName = sections[j].name != sections[i].name;
        if (!firstOfItsName) continue;
        for (const auto& entry : sections[i].entries) {
            std::wstring value;
            FUZZ_CHECK(settings.find(sections[i].name, entry.first, value));
            for (const auto& earlier : sections[i].entries) {
                if (earlier.first == entry.first) {
                    FUZZ_CHECK(earlier.second == value);
                    break;
                }
            }
        }
    }

    // The raw bytes as a resource: rejected or deciphered, never read out of bounds.
    const std::vector<uint8_t> resource(data, data + size);
    std::wstring plain;
    (void)jl::decipherResource(L"{fuzz}", resource, plain);

    // Text as the resource reader makes it must come back unchanged through the cipher.
    const std::wstring decoded = jl::fromUtf16LeBytes(data, size - size % 2);
    static const uint8_t kNonce[jl::kResourceNonceSize] = {};
    std::vector<uint8_t> enciphered;
    FUZZ_CHECK(jl::encipherResource(L"{fuzz}", decoded, kNonce, enciphered));
    std::wstring roundTrip;
    FUZZ_CHECK(jl::decipherResource(L"{fuzz}", enciphered, roundTrip));
    FUZZ_CHECK(roundTrip == decoded);
    return 0;
}
