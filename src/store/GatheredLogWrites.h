#pragma once

// The name of a SQLite file layer (VFS), registered on first use, that is the platform's own except
// that the pages a connection appends to its database's write-ahead log are gathered into large
// writes. Marking 100,000 records read appends some 90,000 pages to the log, two system calls each
// otherwise, and on a virtual machine the calls cost more than the copying.
// The gathered pages reach the file when a transaction's commit page is written (so a failed write
// fails the commit, and no other connection can see a commit whose pages are not in the file),
// before the connection reads, syncs, sizes or truncates the log, and when it closes it.
// nullptr when SQLite has no default layer to build on.
const char* GatheredLogWritesVfs();
