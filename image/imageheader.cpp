#include "image/imageheader.h"

#include <vector>

namespace {

constexpr qint32 kFlashAddress = 0x802000;
constexpr qint32 kDefaultAddress = 0x4000;

// Header numbers are always big-endian, whatever the format declares, and
// keep their bits when stored signed.
qint32 bigEndianAt(const unsigned char *data, std::size_t offset)
{
    const quint32 value = (quint32(data[offset]) << 24) | (quint32(data[offset + 1]) << 16)
        | (quint32(data[offset + 2]) << 8) | quint32(data[offset + 3]);
    return static_cast<qint32>(value);
}

bool hasBlankHeader(const unsigned char *data)
{
    for (std::size_t i = 1; i < 8192; ++i) {
        if (data[i] != data[0])
            return false;
    }
    return data[8192] != data[0];
}

} // namespace

ImageHeader detectImageHeader(const unsigned char *data, std::size_t count, const QByteArray &path)
{
    if (count > 8192 && bigEndianAt(data, 1028) == kFlashAddress)
        return {kFlashAddress, 8192};
    if (count > 8704 && bigEndianAt(data, 1540) == kFlashAddress)
        return {kFlashAddress, 8704};
    if (count > 72 && data[0] == 0x01 && data[1] == 0x50)
        return {bigEndianAt(data, 56), bigEndianAt(data, 68)};
    if (count > 48 && data[0] == 0x7F && data[1] == 'E' && data[2] == 'L' && data[3] == 'F')
        return {bigEndianAt(data, 24), bigEndianAt(data, 24)};
    if (count > 46 && data[28] == 'J' && data[29] == 'A' && data[30] == 'G' && data[31] == 'R')
        return {bigEndianAt(data, 34), 46};
    if (count > 36 && data[0] == 0x60 && data[1] == 0x1B)
        return {bigEndianAt(data, 22), 36};
    if (count > 8192 && hasBlankHeader(data))
        return {kFlashAddress, 8192};
    if (path.toLower().contains(".rom"))
        return {kFlashAddress, 0};
    return {kDefaultAddress, 0};
}

ImageHeader detectImageHeader(std::FILE *file, const QByteArray &path)
{
    std::vector<unsigned char> buffer(kHeaderReadSize, 0);
    const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), file);
    return detectImageHeader(buffer.data(), count, path);
}

PanelProposal proposePanel(const ImageHeader &header)
{
    // The C library formats into bounded buffers; a hardened build checks at
    // run time that the bound given is within the buffer.
    char address[16];
    char skip[16];
    // The address shows the header's bits as they are: 0xffffffff, not -0x1.
    std::snprintf(address, sizeof address, "0x%x", static_cast<quint32>(header.loadAddress));
    std::snprintf(skip, sizeof skip, "%d", header.headerSkip);
    return {QString::fromLatin1(address), QString::fromLatin1(skip), header.loadAddress > 0x801FFF};
}
