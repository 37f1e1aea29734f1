#include "art_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include "failure.h"

namespace morvexa {

void SaveArtFile(const QString& path, ByteStringView art) {
  const QString shown = QFileInfo(path).absoluteFilePath();
  QSaveFile file(path);
  // QSaveFile refuses an existing file that may not be written, as a direct
  // write would.
  if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly)) {
    throw Failure(FailureKind::CannotCreateFile, shown.toStdString());
  }
  // commit() does not notice when flushing its buffer fails (QTBUG-75077), so
  // the buffer is flushed first and checked.
  if (file.write(art.data(), static_cast<qint64>(art.size())) != static_cast<qint64>(art.size()) || !file.flush() ||
      !file.commit()) {
    file.cancelWriting();
    throw Failure(FailureKind::StreamWriteError);
  }
}

}  // namespace morvexa
