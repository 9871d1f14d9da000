#include "runtime/search_trace.h"

#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

std::wstring boundText(const VersionNumber& version, const wchar_t* open) {
    return isUnboundedVersion(version) ? std::wstring(open) : formatVersion(version);
}

std::wstring kindsText(const JvmSourceFlags& flags) {
    if (flags.searchBothKinds) {
        if (flags.wantJdk && !flags.wantJre) return L"JDK and JRE, JDK preferred";
        if (flags.wantJre && !flags.wantJdk) return L"JDK and JRE, JRE preferred";
        return L"JDK and JRE";
    }
    if (flags.wantJdk && flags.wantJre) return L"JDK and JRE";
    if (flags.wantJdk) return L"JDK only";
    if (flags.wantJre) return L"JRE only";
    return L"none (unknown JVM Source)";
}

void appendProvider(std::wstring& text, const wchar_t* name, bool accept, bool favor) {
    if (!accept && !favor) return;
    if (!text.empty()) text += L", ";
    text += name;
    if (favor) text += L" (favoured)";
}

}  // namespace

const wchar_t* jvmTypeName(JvmType type) {
    switch (type) {
        case JvmType::Server: return L"server";
        case JvmType::FavorServer: return L"favor_server";
        case JvmType::Default: break;
    }
    return L"default";
}

const wchar_t* kindName(RuntimeKind kind) { return kind == RuntimeKind::Jdk ? L"JDK" : L"JRE"; }

const wchar_t* providerName(RuntimeProvider provider) {
    switch (provider) {
        case RuntimeProvider::JRockit: return L"JRockit";
        case RuntimeProvider::Ibm: return L"IBM";
        case RuntimeProvider::JavaSoft: break;
    }
    return L"JavaSoft";
}

std::wstring machineName(uint16_t machine) {
    switch (machine) {
        case kMachineI386: return L"x86";
        case kMachineAmd64: return L"x64";
        case kMachineArm64: return L"ARM64";
        default: return L"machine " + decimalText(machine);
    }
}

std::wstring describeCandidate(const RuntimeCandidate& candidate) {
    std::wstring text = formatVersion(candidate.version) + L" at " + candidate.runtimeFolder;
    if (candidate.isServer || candidate.isPreferred) {
        text += L" (";
        if (candidate.isServer) text += L"server JVM";
        if (candidate.isServer && candidate.isPreferred) text += L", ";
        if (candidate.isPreferred) text += L"preferred kind and provider";
        text += L")";
    }
    return text;
}

std::wstring describeSearchSettings(const LaunchSettings& settings) {
    std::wstring providers;
    const VmProviderFlags& p = settings.vmProvider;
    appendProvider(providers, L"JavaSoft", p.acceptSun, p.favorSun);
    appendProvider(providers, L"JRockit", p.acceptJRockit, p.favorJRockit);
    appendProvider(providers, L"IBM", p.acceptIbm, p.favorIbm);
    if (providers.empty()) providers = L"none";
    std::wstring preferred;
    for (const std::wstring& item : settings.preferredVersions) {
        if (!preferred.empty()) preferred += L", ";
        preferred += traceQuoted(item);
    }
    if (preferred.empty()) preferred = L"none";
    return std::wstring(L"JVM Type ") + jvmTypeName(settings.jvmType) + L"; versions from " +
           boundText(settings.minimumVersion, L"any") + L" to " + boundText(settings.maximumVersion, L"any") +
           L"; kinds: " + kindsText(settings.jvmSource) + L"; providers: " + providers +
           L"; Preferred versions: " + preferred + L"; Pair Product: " +
           (settings.pairProduct.empty() ? std::wstring(L"none") : settings.pairProduct);
}

std::wstring whyNotSearched(RuntimeKind kind, RuntimeProvider provider, const LaunchSettings& settings) {
    if (!isKindSearched(kind, settings.jvmSource)) return std::wstring(L"JVM Source leaves out the ") + kindName(kind);
    return std::wstring(L"VM Provider leaves out ") + providerName(provider);
}

std::wstring whyVersionNotAllowed(const VersionNumber& version, const LaunchSettings& settings) {
    if (!isUnboundedVersion(settings.maximumVersion) && compareVersions(version, settings.maximumVersion) > 0) {
        return L"above Maximum Version " + formatVersion(settings.maximumVersion);
    }
    if (!isUnboundedVersion(settings.minimumVersion) && compareVersions(version, settings.minimumVersion) < 0) {
        return L"below Minimum Version " + formatVersion(settings.minimumVersion);
    }
    return {};
}

void traceCandidateOrder(const std::vector<RuntimeCandidate>& ordered) {
    if (!traceEnabled()) return;
    trace(kRuntimeTopic, {decimalText(static_cast<long long>(ordered.size())),
                          L" candidate(s), in order:"});
    for (size_t i = 0; i < ordered.size(); ++i) {
        trace(kRuntimeTopic, {L"  ", decimalText(static_cast<long long>(i + 1)), L". ", describeCandidate(ordered[i])});
    }
}

}  // namespace jl
