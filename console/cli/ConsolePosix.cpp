#include <unistd.h>

#include "cli/Console.h"

const char kUserDataFolderHelp[] = "$XDG_DATA_HOME/meridox (~/.local/share/meridox)";

QStringList ProgramArguments(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

void PrepareConsole() {}

void WriteStream(std::FILE* Stream, const QString& Text) {
  const QByteArray bytes = Text.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), Stream);
  std::fflush(Stream);
}

bool IsConsole(std::FILE* Stream) {
  return isatty(fileno(Stream)) != 0;
}
