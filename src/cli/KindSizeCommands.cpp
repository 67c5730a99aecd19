// vellumry-cli kind and size: the kind a name is given, the size text of a byte count.
#include "cli/Cli.h"

#include "model/FileKinds.h"
#include "model/ItemTexts.h"

#include <string>
#include <string_view>

#include <charconv>

namespace vellumry::cli {

namespace {

// A decimal count from 0 to 2^64-1, digits only.
bool parseByteCount(std::string_view text, quint64 &value)
{
    if (text.empty() || text.size() > 20 || text.front() < '0' || text.front() > '9') // no sign, no blank
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

int kindCommand(const Args &args)
{
    if (args.empty())
        return usageError("kind needs at least one name");
    std::string out;
    for (std::string_view name : args) {
        // The kind comes from the last component's extension, as the scan sees names.
        const size_t slash = name.rfind('/');
        const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
        out += kindName(kindForFileName(last)).toStdString();
        out += '\n';
    }
    return finish(writeOut(out));
}

int sizeCommand(const Args &args)
{
    if (args.empty())
        return usageError("size needs at least one byte count");
    std::string out;
    for (std::string_view arg : args) {
        quint64 bytes = 0;
        if (!parseByteCount(arg, bytes))
            return usageError("not a byte count from 0 to 18446744073709551615: '" + std::string(arg) + "'");
        char buffer[100] = {};
        out += size_to_unit(bytes, buffer);
        out += '\n';
    }
    return finish(writeOut(out));
}

} // namespace vellumry::cli
