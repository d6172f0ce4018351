// File transfers over libcurl: FTP download, upload, delete and rename, HTTP download
// and upload (PUT). The texts, in the order of the entries' arguments:
//
//   server     host name or address, optionally with its scheme ("ftp://", "http://",
//              "https://", "ftps://"); without one the entry's protocol is used
//   remote     path of the file on the server, from its root ("/pub/a.jpg" or "pub/a.jpg")
//   local      path of the file here: written (whole, through a sibling that is renamed
//              onto it, never cut) by a download, read by an upload
//   user       login name; empty for anonymous FTP or an HTTP server without login
//   password   the user's password; never printed, logged or shown
//   port       0 for the protocol's own port
//
// Certificate checks of TLS connections stay on. Connecting may take 30 seconds; a
// transfer that moves no byte for 60 seconds is given up. The callback gets the share of
// bytes moved, when the server tells the size, and a 0 answer stops the transfer with
// ZQ_ERR_CANCELLED. Statuses: ZQ_ERR_BAD_PARAMETER (a null or empty server or path),
// ZQ_ERR_FILE_NOT_FOUND (the local file to upload, or the remote one, is missing),
// ZQ_ERR_WRITE_FAILED (the local file cannot be written), ZQ_ERR_TRANSFER_FAILED (no
// connection, a refused login or request, a server error), ZQ_ERR_CANCELLED.
#pragma once

#include "zq7/Zq7Api.h"

ZQ_EXPORT BOOL ZQFTPGetFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                            ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
ZQ_EXPORT BOOL ZQFTPPutFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                            ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
ZQ_EXPORT BOOL ZQHTTPGetFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                             ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
ZQ_EXPORT BOOL ZQHTTPPutFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                             ZqProgressProc callback, LPCSTR caption, LPCSTR message, LPCSTR button);
// Deletes remote on the FTP server (on its own port).
ZQ_EXPORT BOOL ZQFTPDeleteFile(LPCSTR server, LPCSTR user, LPCSTR password, LPCSTR remote);
// Renames from to to on the FTP server (on its own port).
ZQ_EXPORT BOOL ZQFTPRenameFile(LPCSTR server, LPCSTR user, LPCSTR password, LPCSTR from, LPCSTR to);
