// Fuzz target: the dialog resource reader. The input is read both as a compiled
// resource image and as a single dialog template; every dialog template inside an
// image is read too. Nothing may crash, and every resource's data lies within the
// image.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "hostsim/Dialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const unsigned char> image(data, size);
    hostsim::DialogTemplate dialog;
    (void)hostsim::parseDialogTemplate(image, dialog);

    std::vector<hostsim::ResourceEntry> entries;
    if (!hostsim::parseResourceImage(image, entries).empty()) return 0;
    for (const hostsim::ResourceEntry& e : entries) {
        if (!e.data.empty() && (e.data.data() < data || e.data.data() + e.data.size() > data + size))
            fuzzhost::fail("a resource's data lies outside the image");
        if (e.type.number != hostsim::kDialogResourceType) continue;
        hostsim::DialogTemplate inner;
        (void)hostsim::parseDialogTemplate(e.data, inner);
    }
    return 0;
}
