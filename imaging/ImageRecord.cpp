// The image record (see ImageRecord.h): making it from a bitmap or a picture, pixels and rows,
// crop, turn, stretch and sharpen (the arithmetic is picture/BgrPicture's, over the QImage's
// rows), painting and the clipboard.
#include "imaging/ImageRecord.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>

#include "imaging/ImageFile.h"
#include "picture/BgrPicture.h"

namespace {

// Larger pictures are refused, which also keeps every size below in 32 bits.
constexpr int32_t kMaxSide = 16384;

picture::ConstView ReadView(const QImage& image) {
    return {image.constBits(), image.width(), image.height(), image.bytesPerLine()};
}
picture::View WriteView(QImage& image) {
    return {image.bits(), image.width(), image.height(), image.bytesPerLine()};
}

}  // namespace

bool ImageRecord::FromBitmap(const BitmapInfoHeader& info, std::span<const uint8_t> bits) {
    Free();
    const int64_t rows = info.biHeight < 0 ? -int64_t{info.biHeight} : info.biHeight;
    if (info.biPlanes != 1 || info.biBitCount != 24 || info.biCompression != 0 ||
        info.biWidth <= 0 || info.biWidth > kMaxSide || rows <= 0 || rows > kMaxSide) {
        return false;
    }
    const size_t stride = DibStride(info.biWidth);
    if (bits.size() < stride * static_cast<size_t>(rows))
        return false;
    const int height = static_cast<int>(rows);
    QImage image(info.biWidth, height, QImage::Format_BGR888);
    if (image.isNull())
        return false;
    const size_t rowBytes = static_cast<size_t>(info.biWidth) * kBytesPerPixel;
    const bool bottomUp = info.biHeight > 0;
    for (int row = 0; row < height; ++row) {
        const size_t source = static_cast<size_t>(bottomUp ? height - 1 - row : row) * stride;
        std::memcpy(image.scanLine(row), bits.data() + source, rowBytes);
    }
    m_Image = std::move(image);
    m_XPelsPerMeter = info.biXPelsPerMeter;
    m_YPelsPerMeter = info.biYPelsPerMeter;
    return true;
}

bool ImageRecord::Allocate(int width, int height) {
    Free();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return false;
    QImage image(width, height, QImage::Format_BGR888);
    if (image.isNull())
        return false;
    image.fill(Qt::black);
    m_Image = std::move(image);
    return true;
}

void ImageRecord::Free() {
    m_Image = QImage();
}

void ImageRecord::SetResolution(int32_t xPelsPerMeter, int32_t yPelsPerMeter) {
    m_XPelsPerMeter = xPelsPerMeter;
    m_YPelsPerMeter = yPelsPerMeter;
}

bool ImageRecord::Crop(int left, int top, int width, int height) {
    if (!IsAllocated() || width <= 0 || height <= 0 || left < 0 || top < 0 ||
        int64_t{left} + width > Width() || int64_t{top} + height > Height()) {
        return false;
    }
    if (left == 0 && top == 0 && width == Width() && height == Height())
        return true;
    QImage cut(width, height, QImage::Format_BGR888);
    if (cut.isNull())
        return false;
    picture::Copy(picture::Cut(ReadView(m_Image), left, top, width, height), WriteView(cut));
    m_Image = std::move(cut);
    return true;
}

bool ImageRecord::Rotate(int hundredthsOfDegree) {
    if (!IsAllocated() || (hundredthsOfDegree != 9000 && hundredthsOfDegree != -9000))
        return false;
    QImage turned(Height(), Width(), QImage::Format_BGR888);
    if (turned.isNull())
        return false;
    picture::TurnQuarter(ReadView(m_Image), WriteView(turned), hundredthsOfDegree > 0);
    m_Image = std::move(turned);
    return true;
}

uint32_t ImageRecord::GetPixel(int row, int column) const {
    if (!IsAllocated() || row < 0 || row >= Height() || column < 0 || column >= Width())
        return 0;
    const uint8_t* p = m_Image.constScanLine(row) + static_cast<size_t>(column) * kBytesPerPixel;
    return ColourFromRgb(p[2], p[1], p[0]);
}

bool ImageRecord::SetPixel(int row, int column, uint32_t colour) {
    if (!IsAllocated() || row < 0 || row >= Height() || column < 0 || column >= Width())
        return false;
    uint8_t* p = m_Image.scanLine(row) + static_cast<size_t>(column) * kBytesPerPixel;
    p[0] = BlueOf(colour);
    p[1] = GreenOf(colour);
    p[2] = RedOf(colour);
    return true;
}

std::span<const uint8_t> ImageRecord::RowBytes(int row) const {
    if (!IsAllocated() || row < 0 || row >= Height())
        return {};
    return {m_Image.constScanLine(row), static_cast<size_t>(Width()) * kBytesPerPixel};
}

std::span<uint8_t> ImageRecord::RowBytes(int row) {
    if (!IsAllocated() || row < 0 || row >= Height())
        return {};
    return {m_Image.scanLine(row), static_cast<size_t>(Width()) * kBytesPerPixel};
}

picture::View ImageRecord::Pixels() {
    return WriteView(m_Image);
}

picture::ConstView ImageRecord::Pixels() const {
    return ReadView(m_Image);
}

int ImageRecord::GetRow(std::span<uint8_t> buffer, int row) const {
    const std::span<const uint8_t> bytes = RowBytes(row);
    if (bytes.empty())
        return -1;
    const size_t n = std::min(buffer.size(), bytes.size());
    std::memcpy(buffer.data(), bytes.data(), n);
    return static_cast<int>(n);
}

int ImageRecord::PutRow(std::span<const uint8_t> buffer, int row) {
    const std::span<uint8_t> bytes = RowBytes(row);
    if (bytes.empty())
        return -1;
    const size_t n = std::min(buffer.size(), bytes.size());
    std::memmove(bytes.data(), buffer.data(), n);
    return static_cast<int>(n);
}

void ImageRecord::Paint(QPainter& painter, const QRect& target) const {
    if (!IsAllocated() || target.isEmpty())
        return;
    painter.drawImage(target, m_Image);
}

bool ImageRecord::CopyToClipboard() const {
    if (!IsAllocated())
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    // The image carries the resolution the files record; "image/bmp" is the picture as a whole
    // BMP file, which painting programs on X11 ask for besides the formats Qt derives.
    QImage image = m_Image.convertToFormat(QImage::Format_RGB32);
    if (m_XPelsPerMeter > 0 && m_YPelsPerMeter > 0) {
        image.setDotsPerMeterX(m_XPelsPerMeter);
        image.setDotsPerMeterY(m_YPelsPerMeter);
    }
    auto* data = new QMimeData;
    data->setImageData(image);
    const std::string bmp = EncodeBmp24(*this);
    data->setData(QStringLiteral("image/bmp"),
                  QByteArray(bmp.data(), static_cast<qsizetype>(bmp.size())));
    clipboard->setMimeData(data);
    return true;
}

bool ClipboardAvailable() {
    return QGuiApplication::instance() != nullptr && QGuiApplication::clipboard() != nullptr;
}

bool ImageRecord::Resize(int width, int height) {
    if (!IsAllocated() || width != Width() || height <= 0 || height > kMaxSide)
        return false;
    if (height == Height())
        return true;
    QImage out(width, height, QImage::Format_BGR888);
    if (out.isNull())
        return false;
    picture::Stretch(ReadView(m_Image), WriteView(out));
    m_Image = std::move(out);
    return true;
}

bool ImageRecord::Sharpen(int strength) {
    if (!IsAllocated() || !picture::IsSharpenStrength(strength))
        return false;
    QImage out(Width(), Height(), QImage::Format_BGR888);
    if (out.isNull())
        return false;
    picture::Sharpen(ReadView(m_Image), WriteView(out), strength);
    m_Image = std::move(out);
    return true;
}

bool ImageRecord::FromPicture(picture::ConstView pixels) {
    Free();
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.width > kMaxSide ||
        pixels.height > kMaxSide)
        return false;
    QImage image(pixels.width, pixels.height, QImage::Format_BGR888);
    if (image.isNull())
        return false;
    picture::Copy(pixels, WriteView(image));
    m_Image = std::move(image);
    return true;
}
