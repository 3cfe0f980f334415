// The address a print server's pages resolve against. They arrive as text in
// the server's answers, without an address of their own; shown without one
// they would resolve against their own text (a data: URL), so a form without
// an action would name the whole page as its target.
#pragma once

#include <QUrl>

#include <string>

namespace zentclient {

// "http://" + the server's host + "/": the print port speaks the print
// protocol, not HTTP, so the server's web pages are on the host's own web
// port; about:blank when the address makes no URL at all.
QUrl ServerPageBase(const std::string& serverAddress);

}  // namespace zentclient
