#include "vterminal/Cp1254.h"

#include <QByteArray>
#include <QString>

#include "common/Encoding.h"

// The program's own code-page table, seen through UTF-8 strings.
namespace vt {

std::string cp1254ToUtf8(std::string_view bytes) {
  return FromWin1254(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))).toStdString();
}

std::string utf8ToCp1254(std::string_view utf8) {
  return ToWin1254(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())))
      .toStdString();
}

}  // namespace vt
