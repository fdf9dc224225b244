#pragma once
// A small HTTP server on 127.0.0.1 (free port) that answers each path with
// a scripted response: a status, headers, a body, a Content-Length that may
// lie, a body cut short, or a connection that stalls. It records what it
// was asked.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

namespace riduder::test {

struct HttpResponse {
  int status = 200;
  QByteArray body;
  QList<QPair<QByteArray, QByteArray>> headers;
  // The Content-Length sent: the body's size unless set; NoLength sends
  // none and the body in chunks.
  static constexpr qint64 BodySize = -1;
  static constexpr qint64 NoLength = -2;
  qint64 contentLength = BodySize;
  // Only this many bytes of the body are sent (-1: all of it).
  qint64 bytesToSend = -1;
  // After sending, keep the connection open and silent instead of closing.
  bool stall = false;
  // Sent laterMs after the rest, on a stalled connection (the network
  // layer reports progress at most every 100 ms).
  QByteArray later;
  int laterMs = 0;
  // With trickleMs, the rest of the body after bytesToSend follows one
  // byte every trickleMs, each restarting the client's idle timeout.
  int trickleMs = 0;
  // Nothing at all is answered: not even the status line.
  bool silent = false;

  static HttpResponse Ok(const QByteArray &body) { HttpResponse r; r.body = body; return r; }
  static HttpResponse Status(int status) { HttpResponse r; r.status = status; r.body = "no"; return r; }
  static HttpResponse Redirect(const QByteArray &location)
  {
    HttpResponse r;
    r.status = 302;
    r.headers.append({"Location", location});
    return r;
  }
};

struct HttpRequest {
  QByteArray path;
  QHash<QByteArray, QByteArray> headers;  // names in lower case
};

class ScriptedHttpServer : public QObject {
  Q_OBJECT

public:
  ScriptedHttpServer();

  quint16 Port() const { return server.serverPort(); }
  // "http://127.0.0.1:<port><path>".
  QString Url(const QString &path) const;
  // Answers path (without query) with response; unknown paths get 404.
  void Route(const QByteArray &path, const HttpResponse &response) { routes[path] = response; }
  const QList<HttpRequest> &Requests() const { return requests; }
  int RequestCount(const QByteArray &path) const;

signals:
  void requestReceived(QByteArray path);

private:
  void onNewConnection();
  void onReadyRead(QTcpSocket *socket);

  QTcpServer server;
  QHash<QByteArray, HttpResponse> routes;
  QList<HttpRequest> requests;
  QHash<QTcpSocket *, QByteArray> pending;
};

}  // namespace riduder::test
