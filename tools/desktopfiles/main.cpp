// qvrdesktopfiles: writes the desktop's files that list our file types, from the product
// table, so that the models are described in one place only.
//
//   qvrdesktopfiles mime OUTPUT          the shared-mime-info package
//   qvrdesktopfiles fill TEMPLATE OUTPUT a copy of TEMPLATE with @QVR_MIME_TYPES@ (the
//                                        launcher's MimeType list) and @QVR_FILE_EXTENSIONS@
//                                        (q1p|q1a|..., a shell pattern) filled in

#include "platform/AtomicFile.h"
#include "sysex/Korvanesysex.h"
#include "sysex/Products.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qvr::TProduct;

// What every file of ours starts with, whatever its model: the maker's family type, which the
// models' types refine, found by content when the name has none of our extensions.
const std::string FamilyType = "application/x-korvane-sysex";
const std::string SysExType = "audio/x-midi-sysex";

// "QVR-3" gives "qvr3": the lower-case letters and digits of the model's name.
std::string TypeStem(const TProduct& product) {
    std::string stem;
    for (const char c : product.Model) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return stem;
}

struct TFileType {
    std::string Name;
    std::string Comment;
    std::string Extension;
};

std::vector<TFileType> FileTypes() {
    std::vector<TFileType> types;
    for (const TProduct& product : qvr::Products()) {
        const std::string stem = "application/x-" + TypeStem(product);
        types.push_back(
            {stem + "-preset", product.PresetTypeName(), std::string(product.PresetExtension)});
        types.push_back(
            {stem + "-backup", product.BackupTypeName(), std::string(product.BackupExtension)});
    }
    return types;
}

// The bytes before the device id of the maker's envelope, as a shared-mime-info string.
std::string LeadingBytes() {
    qvr::TKorvaneSysEx message(false);
    message.SetManufacturerId(qvr::KorvaneManufacturerId);
    std::ostringstream header;
    message.WriteHeader(header); // start, manufacturer id, then device, product and message id
    const std::string bytes = header.str();
    std::string escaped;
    for (size_t i = 0; i + 3 < bytes.size(); ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(bytes[i]));
        escaped += hex;
    }
    return escaped;
}

std::string MimeType(const std::string& name, const std::string& body) {
    return "  <mime-type type=\"" + name + "\">\n" + body + "  </mime-type>\n";
}

std::string MimePackage() {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- Written by qvrdesktopfiles from the product table. -->\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    xml += MimeType(SysExType, "    <comment>MIDI System Exclusive data</comment>\n"
                               "    <glob pattern=\"*.syx\"/>\n");
    xml += MimeType(FamilyType, "    <comment>Korvane SysEx data</comment>\n"
                                "    <sub-class-of type=\"" +
                                    SysExType +
                                    "\"/>\n"
                                    "    <magic priority=\"30\">\n"
                                    "      <match type=\"string\" offset=\"0\" value=\"" +
                                    LeadingBytes() +
                                    "\"/>\n"
                                    "    </magic>\n");
    for (const TFileType& type : FileTypes()) {
        xml += MimeType(type.Name, "    <comment>" + type.Comment + "</comment>\n" +
                                       "    <sub-class-of type=\"" + FamilyType + "\"/>\n" +
                                       "    <glob pattern=\"*." + type.Extension + "\"/>\n");
    }
    return xml + "</mime-info>\n";
}

std::string MimeTypeList() {
    std::string list = FamilyType + ";";
    for (const TFileType& type : FileTypes()) {
        list += type.Name + ";";
    }
    return list;
}

std::string ExtensionPattern() {
    std::string pattern;
    for (const TFileType& type : FileTypes()) {
        pattern += (pattern.empty() ? "" : "|") + type.Extension;
    }
    return pattern;
}

void Replace(std::string& text, const std::string& placeholder, const std::string& value) {
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
}

int Write(const std::string& path, const std::string& text) {
    qvr::TAtomicFile file(path);
    if (!file.Write(text.data(), text.size()) || !file.Commit()) {
        std::fprintf(stderr, "qvrdesktopfiles: cannot write '%s': %s\n", path.c_str(),
                     std::strerror(file.Error()));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.size() == 2 && args[0] == "mime") {
        return Write(args[1], MimePackage());
    }
    if (args.size() == 3 && args[0] == "fill") {
        std::ifstream in(args[1], std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.is_open() || in.bad()) {
            std::fprintf(stderr, "qvrdesktopfiles: cannot read '%s'\n", args[1].c_str());
            return 1;
        }
        Replace(text, "@QVR_MIME_TYPES@", MimeTypeList());
        Replace(text, "@QVR_FILE_EXTENSIONS@", ExtensionPattern());
        return Write(args[2], text);
    }
    std::fputs("Usage: qvrdesktopfiles mime OUTPUT | fill TEMPLATE OUTPUT\n", stderr);
    return 2;
}
