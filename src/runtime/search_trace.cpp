#include "runtime/search_trace.h"

#include "os/os.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

std::string utf8(const std::wstring& text) { return os::toUtf8(text); }

std::string versionText(const VersionNumber& version) { return utf8(formatVersion(version)); }

std::string boundText(const VersionNumber& version) {
    return isUnboundedVersion(version) ? std::string("any") : versionText(version);
}

const char* kindsText(const JvmSourceFlags& flags) {
    if (flags.searchBothKinds) {
        if (flags.wantJdk && !flags.wantJre) return "JDK and JRE, JDK preferred";
        if (flags.wantJre && !flags.wantJdk) return "JDK and JRE, JRE preferred";
        return "JDK and JRE";
    }
    if (flags.wantJdk && flags.wantJre) return "JDK and JRE";
    if (flags.wantJdk) return "JDK only";
    if (flags.wantJre) return "JRE only";
    return "none (unknown JVM Source)";
}

void appendProvider(std::string& text, const char* name, bool accept, bool favor) {
    if (!accept && !favor) return;
    if (!text.empty()) text += ", ";
    text += name;
    if (favor) text += " (favoured)";
}

}  // namespace

const char* jvmTypeName(JvmType type) {
    switch (type) {
        case JvmType::Server: return "server";
        case JvmType::FavorServer: return "favor_server";
        case JvmType::Default: break;
    }
    return "default";
}

const char* kindName(RuntimeKind kind) { return kind == RuntimeKind::Jdk ? "JDK" : "JRE"; }

const char* providerName(RuntimeProvider provider) {
    switch (provider) {
        case RuntimeProvider::JRockit: return "JRockit";
        case RuntimeProvider::Ibm: return "IBM";
        case RuntimeProvider::JavaSoft: break;
    }
    return "JavaSoft";
}

std::string machineName(uint16_t machine) {
    switch (machine) {
        case kMachineI386: return "x86";
        case kMachineAmd64: return "x64";
        case kMachineArm64: return "ARM64";
        default: return "machine " + utf8(decimalText(machine));
    }
}

std::string describeCandidate(const RuntimeCandidate& candidate) {
    std::string text = versionText(candidate.version) + " at " + utf8(candidate.runtimeFolder);
    if (candidate.isServer || candidate.isPreferred) {
        text += " (";
        if (candidate.isServer) text += "server JVM";
        if (candidate.isServer && candidate.isPreferred) text += ", ";
        if (candidate.isPreferred) text += "preferred kind and provider";
        text += ")";
    }
    return text;
}

std::string describeSearchSettings(const LaunchSettings& settings) {
    std::string providers;
    const VmProviderFlags& p = settings.vmProvider;
    appendProvider(providers, "JavaSoft", p.acceptSun, p.favorSun);
    appendProvider(providers, "JRockit", p.acceptJRockit, p.favorJRockit);
    appendProvider(providers, "IBM", p.acceptIbm, p.favorIbm);
    if (providers.empty()) providers = "none";
    std::string preferred;
    for (const std::wstring& item : settings.preferredVersions) {
        if (!preferred.empty()) preferred += ", ";
        preferred += utf8(traceQuoted(item));
    }
    if (preferred.empty()) preferred = "none";
    return std::string("JVM Type ") + jvmTypeName(settings.jvmType) + "; versions from " +
           boundText(settings.minimumVersion) + " to " + boundText(settings.maximumVersion) + "; kinds: " +
           kindsText(settings.jvmSource) + "; providers: " + providers + "; Preferred versions: " + preferred +
           "; Pair Product: " + (settings.pairProduct.empty() ? std::string("none") : utf8(settings.pairProduct));
}

std::string whyNotSearched(RuntimeKind kind, RuntimeProvider provider, const LaunchSettings& settings) {
    if (!isKindSearched(kind, settings.jvmSource)) return std::string("JVM Source leaves out the ") + kindName(kind);
    return std::string("VM Provider leaves out ") + providerName(provider);
}

std::string whyVersionNotAllowed(const VersionNumber& version, const LaunchSettings& settings) {
    if (!isUnboundedVersion(settings.maximumVersion) && compareVersions(version, settings.maximumVersion) > 0) {
        return "above Maximum Version " + versionText(settings.maximumVersion);
    }
    if (!isUnboundedVersion(settings.minimumVersion) && compareVersions(version, settings.minimumVersion) < 0) {
        return "below Minimum Version " + versionText(settings.minimumVersion);
    }
    return {};
}

void traceCandidateOrder(const std::vector<RuntimeCandidate>& ordered) {
    if (!traceEnabled()) return;
    trace(kRuntimeTopic, {decimalText(static_cast<long long>(ordered.size())), " candidate(s), in order:"});
    for (size_t i = 0; i < ordered.size(); ++i) {
        trace(kRuntimeTopic, {"  ", decimalText(static_cast<long long>(i + 1)), ". ", describeCandidate(ordered[i])});
    }
}

}  // namespace jl
