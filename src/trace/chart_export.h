// Saving the chart: the picture with its footer as JPEG (libjpeg's own
// compressor, baseline, quality 90) or PNG, and the recording as CSV. Files
// are written whole or not at all, so a failed save never
// destroys the file that was there.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace tvx::trace {

class ChartPicture;

// A copy of the picture with the footer: date and time at the left, the
// firmware text in the middle, the tool's name and version at the right,
// drawn with the picture's current font and colour on its background colour.
// The picture itself is not changed.
QImage PictureWithFooter(const ChartPicture& picture, const QDateTime& now, const QString& firmwareText);

// The image as a 24-bit baseline JPEG; throws std::runtime_error when libjpeg
// fails.
QByteArray EncodeJpeg(const QImage& image, int quality = 90);
QByteArray EncodePng(const QImage& image);

enum class ExportFormat { Jpeg, Png, Csv };
// The format a chosen file name asks for: ".png", ".csv", ".jpg" and ".jpeg"
// (any case) name theirs; any other name takes the format of `otherSuffix`
// (the selected filter's extension), JPEG when that names none either.
ExportFormat FormatOfPath(const QString& path, const QString& otherSuffix = {});

// Writes the bytes to the path, replacing a file that is there only when all
// of them were written, never a device or a FIFO. Throws platform::FileError
// (a std::runtime_error naming the file).
void WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace tvx::trace
