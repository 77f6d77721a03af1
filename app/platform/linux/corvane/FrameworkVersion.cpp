#include "FrameworkVersion.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <string_view>
#include <vector>

namespace et {

namespace {

constexpr std::string_view kLibraryStem = "libCorvaneLED.so";

int collect(struct dl_phdr_info* info, size_t, void* data) {
    auto* found = static_cast<std::vector<std::string>*>(data);
    if (!info->dlpi_name || !*info->dlpi_name) return 0;
    std::string_view path(info->dlpi_name);
    auto slash = path.rfind('/');
    auto base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (base.substr(0, kLibraryStem.size()) == kLibraryStem) found->emplace_back(path);
    return 0;
}

// "libCorvaneLED.so.1.2.0" → "1.2.0", for a library that does not answer by itself.
std::optional<std::string> versionFromFileName(const std::string& path) {
    std::error_code ec;
    auto real = std::filesystem::canonical(path, ec);
    std::string name = (ec ? std::filesystem::path(path) : real).filename().string();
    if (name.size() <= kLibraryStem.size() + 1) return std::nullopt;
    return name.substr(kLibraryStem.size() + 1);
}

} // namespace

std::optional<std::string> loadedFrameworkVersion() {
    std::vector<std::string> found;
    dl_iterate_phdr(collect, &found);
    if (found.empty()) return std::nullopt;
    const std::string& path = found.back();

    // RTLD_NOLOAD: only a handle to what is already mapped, never a second copy.
    if (void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
        using GetVersion = bool (*)(int*, int*, int*);
        auto fn = reinterpret_cast<GetVersion>(dlsym(handle, "CorvLedGetSdkVersion"));
        int major = 0, minor = 0, build = 0;
        const bool ok = fn && fn(&major, &minor, &build);
        dlclose(handle);
        if (ok)
            return std::to_string(major) + "." + std::to_string(minor) + "." +
                   std::to_string(build);
    }
    if (auto v = versionFromFileName(path)) return v;
    return std::string("unknown");
}

} // namespace et
