#include "tools/simulator/SimulatorScript.h"

#include <QStringList>

namespace riduder::sim {

namespace {

struct Token {
  QByteArray bytes;  // the unescaped text of a quoted token
  QString word;      // a bare word
  bool quoted = false;
};

int HexValue(QChar c)
{
  const int v = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
  return v;
}

// Splits a line into bare words and quoted texts.
bool Tokenize(const QString &line, QList<Token> *tokens, QString *error)
{
  int i = 0;
  const int n = line.size();
  while (i < n) {
    if (line.at(i).isSpace()) {
      ++i;
      continue;
    }
    Token token;
    if (line.at(i) != '"') {
      const int start = i;
      while (i < n && !line.at(i).isSpace() && line.at(i) != '"')
        ++i;
      token.word = line.mid(start, i - start);
      tokens->append(token);
      continue;
    }
    token.quoted = true;
    ++i;
    bool closed = false;
    while (i < n) {
      const QChar c = line.at(i++);
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\') {
        token.bytes.append(QString(c).toUtf8());
        continue;
      }
      if (i >= n)
        break;
      const QChar e = line.at(i++);
      if (e == 'r') {
        token.bytes.append('\r');
      } else if (e == 'n') {
        token.bytes.append('\n');
      } else if (e == 't') {
        token.bytes.append('\t');
      } else if (e == '\\' || e == '"') {
        token.bytes.append(static_cast<char>(e.unicode()));
      } else if (e == 'x' && i + 1 < n && HexValue(line.at(i)) >= 0 && HexValue(line.at(i + 1)) >= 0) {
        token.bytes.append(static_cast<char>(HexValue(line.at(i)) * 16 + HexValue(line.at(i + 1))));
        i += 2;
      } else {
        *error = QStringLiteral("unknown escape \\%1").arg(e);
        return false;
      }
    }
    if (!closed) {
      *error = QStringLiteral("unterminated text");
      return false;
    }
    tokens->append(token);
  }
  return true;
}

bool HexBytes(const QString &word, QByteArray *bytes)
{
  if (word.isEmpty() || word.size() % 2 != 0)
    return false;
  for (int i = 0; i < word.size(); i += 2) {
    const int hi = HexValue(word.at(i));
    const int lo = HexValue(word.at(i + 1));
    if (hi < 0 || lo < 0)
      return false;
    bytes->append(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

// Reads byte tokens from *pos until a bare word in `stops` or the end.
bool ReadBytes(const QList<Token> &tokens, int *pos, const QStringList &stops, QByteArray *bytes, QString *error)
{
  while (*pos < tokens.size()) {
    const Token &token = tokens.at(*pos);
    if (token.quoted) {
      bytes->append(token.bytes);
    } else if (stops.contains(token.word)) {
      return true;
    } else if (!HexBytes(token.word, bytes)) {
      *error = QStringLiteral("\"%1\" is neither quoted text nor hexadecimal bytes").arg(token.word);
      return false;
    }
    ++*pos;
  }
  return true;
}

bool ParseRule(const QString &line, ScriptRule *rule, QString *error)
{
  QList<Token> tokens;
  if (!Tokenize(line, &tokens, error))
    return false;
  const Token &kind = tokens.first();
  if (!kind.quoted && kind.word == QLatin1String("prefix")) {
    rule->match = MatchKind::Prefix;
  } else if (!kind.quoted && kind.word == QLatin1String("whole")) {
    rule->match = MatchKind::Whole;
  } else {
    *error = QStringLiteral("a rule starts with \"prefix\" or \"whole\"");
    return false;
  }
  int pos = 1;
  if (!ReadBytes(tokens, &pos, {"->"}, &rule->request, error))
    return false;
  if (rule->request.isEmpty()) {
    *error = QStringLiteral("empty request");
    return false;
  }
  if (pos >= tokens.size()) {
    *error = QStringLiteral("missing \"->\"");
    return false;
  }
  ++pos;
  const QStringList options{"delay", "switch-rate"};
  if (!ReadBytes(tokens, &pos, options, &rule->reply.bytes, error))
    return false;
  while (pos < tokens.size()) {
    const QString option = tokens.at(pos).word;
    bool ok = false;
    const int value = pos + 1 < tokens.size() && !tokens.at(pos + 1).quoted ? tokens.at(pos + 1).word.toInt(&ok) : 0;
    if (!ok || value < 0) {
      *error = QStringLiteral("\"%1\" needs a number").arg(option);
      return false;
    }
    if (option == QLatin1String("delay")) {
      rule->reply.delayMs = value;
    } else if (option == QLatin1String("switch-rate")) {
      rule->reply.switchToRate = value;
    } else {
      *error = QStringLiteral("unknown option \"%1\"").arg(option);
      return false;
    }
    pos += 2;
  }
  return true;
}

}  // namespace

bool ParseScript(const QString &text, QList<ScriptRule> *rules, QString *error)
{
  QList<ScriptRule> parsed;
  const QStringList lines = text.split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    const QString line = lines.at(i).trimmed();
    if (line.isEmpty() || line.startsWith('#'))
      continue;
    ScriptRule rule;
    QString reason;
    if (!ParseRule(line, &rule, &reason)) {
      if (error)
        *error = QStringLiteral("line %1: %2").arg(i + 1).arg(reason);
      return false;
    }
    parsed.append(rule);
  }
  *rules = parsed;
  return true;
}

}  // namespace riduder::sim
