// The share server: hands the site's files, the followed save and an event
// stream of its changes to browsers on this machine or the local network.
// One thread runs all of its connections; what it answers is decided by
// routeShareRequest (share_table.h), from a table fixed at start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "share/share_table.h"

// Connections served at once; further ones wait in the listen backlog.
constexpr int SHARE_MAX_CONNECTIONS = 64;
// Bytes a request head may take (431 beyond).
constexpr size_t SHARE_HEAD_LIMIT = 8192;
// Seconds a client has, from connecting or from its last answer, to send a
// whole request head.
constexpr int SHARE_HEAD_SECONDS = 10;
// The port when none is asked for.
constexpr uint16_t SHARE_DEFAULT_PORT = 8765;

struct ShareServer;

// Listens on `port` (0: any free one) of every IPv4 interface when
// everyInterface, else of 127.0.0.1 alone, and serves `table` from a thread
// of its own. Returns null with a one-line reason in *error when the port
// cannot be had (in use, say).
ShareServer *startShareServer(ShareTable table, bool everyInterface, uint16_t port, std::string *error);

// The port listened on.
uint16_t shareServerPort(const ShareServer *server);

// Makes `bytes` (a whole, cleanly read save) what `save` answers from now on
// and tells every open event stream: each event is "data: VERSION OPENINGS",
// VERSION counting the saves published and OPENINGS those that are `fresh`,
// another save to be opened afresh rather than a new version of the last
// (a page keeps what was collected only across versions). Any thread.
void publishShareSave(ShareServer *server, std::shared_ptr<const std::string> bytes, bool fresh);

// The file name of the save published next, for the page to say which save
// it shows: sent with the save as Content-Disposition (its bytes
// percent-encoded as UTF-8). Any thread.
void nameShareSave(ShareServer *server, const std::string &name);

// While no save was published: the folder the first one is awaited in, told
// to each event stream that opens as a "waiting" event. Any thread.
void awaitShareSaveIn(ShareServer *server, const std::string &folder);

// The last part of a path: what follows its last '/' (or '\' on Windows).
std::string shareSaveName(const std::string &path);

// Closes every connection, ends the thread and frees the server.
void stopShareServer(ShareServer *server);

// This machine's IPv4 address on the local network: that of the interface
// the default route leaves by; "127.0.0.1" when there is no such route.
std::string localNetworkAddress();
