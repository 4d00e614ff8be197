// Reading a device file or a folder of them; the folder listing is bounded
// and sorted by name, and no file system call may throw.
#include "gsd/gsd_library.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "gsd/gsd_reader.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;

std::string IdentText(std::uint16_t ident) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", ident);
    return text;
}

// Keeps a read device (among the revisions when its ident is taken) unless
// its ident is missing or the library is full.
void AddDevice(GsdLibrary& library, GsdDevice&& device) {
    if (library.Devices.size() + library.Revisions.size() == kGsdMaxDevices) {
        AddGsdWarning(library.Warnings, device.SourceName + ": more than " + std::to_string(kGsdMaxDevices) +
                                            " devices: not used");
        return;
    }
    if (!device.IdentNumber) {
        AddGsdWarning(library.Warnings, device.SourceName + ": no Ident_Number: not used");
        return;
    }
    if (const GsdDevice* first = FindGsdDevice(library, *device.IdentNumber)) {
        AddGsdWarning(library.Warnings, device.SourceName + ": Ident_Number " + IdentText(*device.IdentNumber) +
                                            " already read from " + first->SourceName + ": not used");
        library.Revisions.push_back(std::move(device));
        return;
    }
    library.Devices.push_back(std::move(device));
}

// The device file names of a folder, sorted, at most kGsdMaxDevices.
Outcome ListFolder(const std::string& path, GsdLibrary& library, std::vector<fs::path>& files) {
    std::error_code error;
    fs::directory_iterator it(path, error);
    if (error) return ErrorText("%s: cannot read the folder", path.c_str());
    bool full = false;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !IsGsdFileName(it->path().filename().string())) continue;
        if (files.size() == kGsdMaxDevices) {
            full = true;
            break;
        }
        files.push_back(it->path());
    }
    if (error) return ErrorText("%s: cannot read the folder", path.c_str());
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    if (full)
        AddGsdWarning(library.Warnings, path + ": more than " + std::to_string(kGsdMaxDevices) +
                                            " device files: only the first ones listed are read");
    if (files.empty()) return ErrorText("%s: no GSD files (*.gsd, *.gse, *.gs?) in the folder", path.c_str());
    return Success();
}

}  // namespace

bool IsGsdFileName(std::string_view name) {
    if (name.size() < 5) return false;  // at least one character before the extension
    const std::string_view extension = name.substr(name.size() - 4, 3);
    return extension[0] == '.' && (extension[1] == 'g' || extension[1] == 'G') &&
           (extension[2] == 's' || extension[2] == 'S');
}

Outcome ReadGsdLibrary(const std::string& path, GsdLibrary& library) {
    library = GsdLibrary{};
    return AddGsdLibrary(path, library);
}

Outcome AddGsdLibrary(const std::string& path, GsdLibrary& library) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
        GsdDevice device;
        Outcome result = ReadGsdFile(path, device);
        if (result.IsError()) return result;
        AddDevice(library, std::move(device));
        return Success();
    }
    std::vector<fs::path> files;
    Outcome listed = ListFolder(path, library, files);
    if (listed.IsError()) return listed;
    for (const fs::path& file : files) {
        GsdDevice device;
        Outcome result = ReadGsdFile(file.string(), device);
        if (result.IsError())
            AddGsdWarning(library.Warnings, result.Text);
        else
            AddDevice(library, std::move(device));
    }
    return Success();
}

const GsdDevice* FindGsdDevice(const GsdLibrary& library, std::uint16_t ident) {
    for (const GsdDevice& device : library.Devices)
        if (device.IdentNumber == ident) return &device;
    return nullptr;
}

std::vector<const GsdDevice*> FindGsdDevices(const GsdLibrary& library, std::uint16_t ident) {
    std::vector<const GsdDevice*> found;
    if (const GsdDevice* first = FindGsdDevice(library, ident)) found.push_back(first);
    for (const GsdDevice& device : library.Revisions)
        if (device.IdentNumber == ident) found.push_back(&device);
    return found;
}

}  // namespace zelmot
