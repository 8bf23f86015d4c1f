// The share server on Boost.Beast: an acceptor that stops taking connections
// at SHARE_MAX_CONNECTIONS, one session per connection that reads a head
// under a deadline and answers what routeShareRequest decides, and the event
// streams, which hold no thread and are told of each new save by one pass
// over their set. Everything runs on the server's one io_context thread;
// other threads reach it only by posting.
#include "share/share_server.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <cctype>
#include <chrono>
#include <optional>
#include <set>
#include <thread>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

// A reader that stopped reading is cut after this long with an answer or an
// event unsent.
constexpr std::chrono::seconds WRITE_SECONDS{30};
// Idle event streams get a comment line this often, so that the browser
// knows the link is alive and a vanished one is found out.
constexpr std::chrono::seconds PING_SECONDS{15};

class Session;

}  // namespace

struct ShareServer {
  // The state sessions touch comes before the io_context: destroying the
  // io_context destroys the sessions its handlers still hold.
  ShareTable table;
  std::shared_ptr<const std::string> save;  // null until a save was read
  uint64_t saveVersion = 0;
  uint64_t openings = 0;  // saves opened afresh (another slot followed)
  std::string saveDisposition;  // the Content-Disposition of the save, or empty
  std::string waitingIn;        // the folder the first save is awaited in, or empty
  std::set<Session *> streams;
  int connections = 0;
  bool accepting = false;
  bool stopped = false;  // sessions ending now leave the rest alone
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  asio::steady_timer pingTimer{io};
  std::thread thread;

  void accept();
  void ping();
  void tellStreams();
  std::string event() const {
    return "data: " + std::to_string(saveVersion) + " " + std::to_string(openings) + "\n\n";
  }
};

namespace {

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(ShareServer &server, tcp::socket socket) : server_(server), stream_(std::move(socket)) {
    ++server_.connections;
  }

  ~Session() {
    if (server_.stopped) return;
    server_.streams.erase(this);
    --server_.connections;
    // A free place lets the acceptor take the next waiting client.
    if (!server_.accepting && server_.acceptor.is_open()) server_.accept();
  }

  void readHead() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(SHARE_HEAD_LIMIT));
    parser_->body_limit(0);
    stream_.expires_after(std::chrono::seconds(SHARE_HEAD_SECONDS));
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code error, size_t) { self->answer(error); });
  }

  // Queues `text` for the event stream; an event not yet sent is replaced by
  // a newer one (each only says "read the save again").
  void queueEvent(const std::string &text) {
    pending_ = text;
    if (!writing_) writeEvents();
  }

  void queuePing() {
    if (pending_.empty() && !writing_) {
      pending_ = ":\n\n";
      writeEvents();
    }
  }

 private:
  void answer(beast::error_code error) {
    if (error == http::error::header_limit) return refuse(http::status::request_header_fields_too_large);
    if (error == http::error::body_limit || error == http::error::unexpected_body) {
      return refuse(http::status::payload_too_large);
    }
    if (error) {
      // A parse error gets its 400; a client that went away or ran out of
      // time gets nothing.
      if (error.category() == http::make_error_code(http::error::bad_target).category() &&
          error != http::error::end_of_stream && error != http::error::partial_message) {
        return refuse(http::status::bad_request);
      }
      return close();
    }
    const http::request<http::empty_body> &request = parser_->get();
    const bool head = request.method() == http::verb::head;
    const beast::string_view target = request.target();
    const ShareRoute route = routeShareRequest(server_.table, head || request.method() == http::verb::get,
                                               std::string_view(target.data(), target.size()));
    const unsigned version = request.version();
    const bool keepAlive = request.keep_alive();
    switch (route.answer) {
      case ShareAnswer::FILE:
        return sendBytes(route.file->bytes, route.file->type.c_str(), "no-cache", head, version, keepAlive);
      case ShareAnswer::SAVE:
        if (!server_.save) return sendText(http::status::not_found, "No save yet\n", head, version, keepAlive);
        return sendBytes(server_.save, "application/octet-stream", "no-store", head, version, keepAlive,
                         server_.saveDisposition);
      case ShareAnswer::EVENTS:
        return startEvents(head, version);
      case ShareAnswer::REDIRECT: {
        auto response = std::make_shared<http::response<http::string_body>>(http::status::moved_permanently, version);
        response->set(http::field::location, route.location);
        return send(response, head, keepAlive);
      }
      case ShareAnswer::FORBIDDEN:
        return sendText(http::status::forbidden, "Forbidden\n", head, version, keepAlive);
      case ShareAnswer::BAD_METHOD:
        return sendText(http::status::method_not_allowed, "Only GET and HEAD\n", head, version, false);
      case ShareAnswer::NOT_FOUND:
        break;
    }
    sendText(http::status::not_found, "Not found\n", head, version, keepAlive);
  }

  // Answers a request whose head could not be taken, then hangs up.
  void refuse(http::status status) { sendText(status, "Refused\n", false, 11, false); }

  void sendText(http::status status, const char *text, bool head, unsigned version, bool keepAlive) {
    auto response = std::make_shared<http::response<http::string_body>>(status, version);
    response->body() = text;
    response->set(http::field::content_type, "text/plain; charset=utf-8");
    if (status == http::status::method_not_allowed) response->set(http::field::allow, "GET, HEAD");
    send(response, head, keepAlive);
  }

  void sendBytes(std::shared_ptr<const std::string> bytes, const char *type, const char *cache, bool head,
                 unsigned version, bool keepAlive, const std::string &disposition = std::string()) {
    auto response = std::make_shared<http::response<http::span_body<const char>>>(http::status::ok, version);
    response->set(http::field::content_type, type);
    response->set(http::field::cache_control, cache);
    if (!disposition.empty()) response->set(http::field::content_disposition, disposition);
    response->body() = {bytes->data(), bytes->size()};
    held_ = std::move(bytes);
    send(response, head, keepAlive);
  }

  template <class Body>
  void send(std::shared_ptr<http::response<Body>> response, bool head, bool keepAlive) {
    response->set("X-Content-Type-Options", "nosniff");
    response->keep_alive(keepAlive);
    response->prepare_payload();
    if (head) {
      // The same head, no body: the length stays what a GET would get.
      const auto length = response->payload_size();
      response->body() = {};
      if (length) response->content_length(*length);
    }
    stream_.expires_after(WRITE_SECONDS);
    http::async_write(stream_, *response,
                      [self = shared_from_this(), response](beast::error_code error, size_t) {
                        self->held_.reset();
                        if (error || response->need_eof()) return self->close();
                        self->readHead();
                      });
  }

  void startEvents(bool head, unsigned version) {
    auto response = std::make_shared<http::response<http::empty_body>>(http::status::ok, version);
    response->set(http::field::content_type, "text/event-stream");
    response->set(http::field::cache_control, "no-store");
    response->set("X-Content-Type-Options", "nosniff");
    // The stream lasts until the connection ends: no length, no reuse.
    response->keep_alive(false);
    if (head) return send(response, true, false);
    auto serializer = std::make_shared<http::response_serializer<http::empty_body>>(*response);
    stream_.expires_after(WRITE_SECONDS);
    http::async_write_header(stream_, *serializer,
                             [self = shared_from_this(), response, serializer](beast::error_code error, size_t) {
                               if (error) return self->close();
                               self->follow();
                             });
  }

  // The stream is answered: from now on no deadline but that of each event's
  // write, and the client's end of the connection is watched by a read that
  // only ever ends when the client goes.
  void follow() {
    stream_.expires_never();
    server_.streams.insert(this);
    stream_.async_read_some(asio::buffer(discard_), [self = shared_from_this()](beast::error_code error, size_t) {
      if (error) return self->close();
      self->watchClosing();
    });
    std::string first = "retry: 2000\n\n";
    if (server_.save) first += server_.event();
    if (!server_.save && !server_.waitingIn.empty()) first += "event: waiting\ndata: " + server_.waitingIn + "\n\n";
    queueEvent(first);
  }

  void watchClosing() {
    stream_.async_read_some(asio::buffer(discard_), [self = shared_from_this()](beast::error_code error, size_t) {
      if (error) return self->close();
      self->watchClosing();
    });
  }

  void writeEvents() {
    writing_ = true;
    sending_.swap(pending_);
    pending_.clear();
    stream_.expires_after(WRITE_SECONDS);
    asio::async_write(stream_, asio::buffer(sending_), [self = shared_from_this()](beast::error_code error, size_t) {
      self->writing_ = false;
      if (error) return self->close();
      if (!self->pending_.empty()) self->writeEvents();
    });
  }

  void close() {
    server_.streams.erase(this);
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

  ShareServer &server_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_{SHARE_HEAD_LIMIT};
  std::optional<http::request_parser<http::empty_body>> parser_;
  std::shared_ptr<const std::string> held_;  // the bytes of the answer being written
  std::string pending_;                      // events not yet written
  std::string sending_;                      // events being written
  bool writing_ = false;
  char discard_[64];
};

}  // namespace

void ShareServer::accept() {
  if (connections >= SHARE_MAX_CONNECTIONS) {
    accepting = false;  // the next session to end calls accept again
    return;
  }
  accepting = true;
  acceptor.async_accept([this](beast::error_code error, tcp::socket socket) {
    accepting = false;
    if (error == asio::error::operation_aborted || !acceptor.is_open()) return;
    if (!error) std::make_shared<Session>(*this, std::move(socket))->readHead();
    accept();
  });
}

void ShareServer::ping() {
  pingTimer.expires_after(PING_SECONDS);
  pingTimer.async_wait([this](beast::error_code error) {
    if (error) return;
    for (Session *stream : streams) stream->queuePing();
    ping();
  });
}

void ShareServer::tellStreams() {
  const std::string text = event();
  for (Session *stream : streams) stream->queueEvent(text);
}

ShareServer *startShareServer(ShareTable table, bool everyInterface, uint16_t port, std::string *error) {
  auto server = std::make_unique<ShareServer>();
  server->table = std::move(table);
  const tcp::endpoint endpoint(everyInterface ? asio::ip::address(asio::ip::address_v4::any())
                                              : asio::ip::address(asio::ip::address_v4::loopback()),
                               port);
  beast::error_code failure;
  server->acceptor.open(endpoint.protocol(), failure);
#ifndef _WIN32
  // On Windows this option would let another program take the port too.
  if (!failure) server->acceptor.set_option(asio::socket_base::reuse_address(true), failure);
#endif
  if (!failure) server->acceptor.bind(endpoint, failure);
  if (!failure) server->acceptor.listen(asio::socket_base::max_listen_connections, failure);
  if (failure) {
    *error = failure == asio::error::address_in_use ? "port " + std::to_string(port) + " is in use"
                                                    : "cannot listen on port " + std::to_string(port) + ": " +
                                                          failure.message();
    return nullptr;
  }
  server->accept();
  server->ping();
  ShareServer *running = server.release();
  running->thread = std::thread([running] { running->io.run(); });
  return running;
}

uint16_t shareServerPort(const ShareServer *server) {
  beast::error_code ignored;
  return server->acceptor.local_endpoint(ignored).port();
}

void publishShareSave(ShareServer *server, std::shared_ptr<const std::string> bytes, bool fresh) {
  asio::post(server->io, [server, bytes = std::move(bytes), fresh]() mutable {
    server->save = std::move(bytes);
    ++server->saveVersion;
    if (fresh) ++server->openings;
    server->tellStreams();
  });
}

void nameShareSave(ShareServer *server, const std::string &name) {
  // RFC 6266's filename*: every byte but letters, digits and a few marks
  // percent-encoded, so that no name can end the header or the field.
  std::string disposition = "inline; filename*=UTF-8''";
  for (const unsigned char c : name) {
    if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
      disposition += static_cast<char>(c);
    } else {
      static const char HEX[] = "0123456789ABCDEF";
      disposition += '%';
      disposition += HEX[c >> 4];
      disposition += HEX[c & 15];
    }
  }
  asio::post(server->io, [server, disposition] { server->saveDisposition = disposition; });
}

void awaitShareSaveIn(ShareServer *server, const std::string &folder) {
  // One line of an event: a line break in a path would end it.
  std::string line = folder;
  for (char &c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  asio::post(server->io, [server, line] { server->waitingIn = line; });
}

std::string shareSaveName(const std::string &path) {
#ifdef _WIN32
  const size_t slash = path.find_last_of("/\\");
#else
  const size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void stopShareServer(ShareServer *server) {
  if (!server) return;
  asio::post(server->io, [server] {
    beast::error_code ignored;
    server->acceptor.close(ignored);
    server->pingTimer.cancel();
    server->io.stop();
  });
  server->thread.join();
  server->stopped = true;
  // Sessions still waiting hold the io_context's handlers; they go with it.
  delete server;
}

std::string localNetworkAddress() {
  // Connecting a datagram socket sends nothing; it only asks the routing
  // table which local address would carry traffic to an outside address
  // (one reserved for documentation, so never anyone's real host).
  asio::io_context io;
  asio::ip::udp::socket probe(io);
  beast::error_code error;
  probe.open(asio::ip::udp::v4(), error);
  if (!error) probe.connect({asio::ip::make_address_v4("192.0.2.1"), 9}, error);
  if (error) return "127.0.0.1";
  const asio::ip::address address = probe.local_endpoint(error).address();
  if (error || address.is_unspecified()) return "127.0.0.1";
  return address.to_string();
}
