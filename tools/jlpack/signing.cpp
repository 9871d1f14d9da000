#include "signing.h"

#include "appended_jar.h"
#include "pe_image.h"
#include "tool_io.h"

namespace jlpack {
namespace {

constexpr int kMaxSignings = 4;

bool signOnce(const Bytes& image, const std::wstring& command, const std::wstring& out, Bytes& signedImage,
              std::wstring& error) {
    const bool separateInput = command.find(L"{in}") != std::wstring::npos;
    const std::wstring in = separateInput ? out + L".unsigned" : out;
    if (!writeWholeFile(in, image, true, error)) return false;
    if (separateInput) removeFile(out);
    const bool ran = runCommand(command, in, out, error);
    if (separateInput) removeFile(in);
    if (!ran || !readWholeFile(out, signedImage, error)) return false;

    // The signer may change the checksum and the certificate directory entry and
    // append the certificate table; anything else would mean it changed what was packed.
    PeImage parsed, original;
    std::wstring parseError;
    uint32_t tableOffset = 0, tableSize = 0;
    if (!PeImage::parse(signedImage, parsed, parseError) || !parsed.isSigned() ||
        !PeImage::parse(image, original, parseError)) {
        error = L"the signing command left no signed executable in " + out;
        return false;
    }
    parsed.directory(kCertificateDirectory, tableOffset, tableSize);
    const size_t directoryField = original.directoryOffset(kCertificateDirectory);
    bool unchanged = tableOffset >= image.size() && signedImage.size() >= image.size();
    for (size_t i = 0; unchanged && i < image.size(); ++i) {
        const bool mayChange = (i >= original.checksumOffset() && i < original.checksumOffset() + 4) ||
                               (i >= directoryField && i < directoryField + 8);
        unchanged = mayChange || image[i] == signedImage[i];
    }
    if (!unchanged) {
        error = L"the signing command changed more than the signature in " + out +
                L"; jlpack cannot keep the appended JAR readable with it";
        return false;
    }
    return true;
}

}  // namespace

bool signProduct(const Bytes& image, bool hasJar, const std::wstring& command, const std::wstring& out,
                 Bytes& signedImage, std::wstring& error) {
    Bytes current = image;
    ZipEnd zip;
    if (hasJar && !findAppendedJar(current, 0, current.size(), zip)) {
        error = L"cannot find the appended JAR again";
        return false;
    }
    for (int attempt = 0; attempt < kMaxSignings; ++attempt) {
        if (!signOnce(current, command, out, signedImage, error)) return false;
        if (!hasJar || zip.end == signedImage.size()) return true;
        // A signature of another size than the one measured (a time stamp of another
        // length) needs one more round.
        if (!extendCommentTo(current, zip, signedImage.size())) {
            error = L"the signature is too large for the JAR's comment to cover it";
            return false;
        }
        zip.end = signedImage.size();
    }
    error = L"the signature changed its size on every signing; the JAR's comment cannot cover it";
    return false;
}

}  // namespace jlpack
