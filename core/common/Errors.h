// Errors an action does not handle itself. Each carries the text that the
// standard error box shows; the action guard catches them.
#pragma once
#include <QByteArray>
#include <QString>
#include <exception>

class EAppError : public std::exception {
 public:
  explicit EAppError(QString Text) : text_(std::move(Text)), utf8_(text_.toUtf8()) {}
  const QString& Text() const { return text_; }
  const char* what() const noexcept override { return utf8_.constData(); }

 private:
  QString text_;
  QByteArray utf8_;
};

// The database layer rejected a statement or a value.
class EDatabaseError : public EAppError {
  using EAppError::EAppError;
};
// A text that should hold a number does not.
class EConvertError : public EAppError {
  using EAppError::EAppError;
};
// A file could not be opened, read or written.
class EInOutError : public EAppError {
  using EAppError::EAppError;
};
// Settings.ini could not be written.
class EIniFileError : public EAppError {
  using EAppError::EAppError;
};

// Ends an action without any message.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

// Whole 32-bit number from text: optional blanks in front, optional sign,
// decimal digits. Anything else throws EConvertError with the usual text.
int StrToInt(const QString& Text);
// The same, with a fallback instead of an error.
int StrToIntDef(const QString& Text, int Default);
