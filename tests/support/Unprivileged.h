#pragma once

#include <functional>

class QProcess;

namespace nw::test {

// Runs body where permission bits hold. When this process is root, body runs in a forked child
// that has become nobody, and a failure there fails the test; otherwise it runs here. Make the
// files body needs inside it, so that they belong to the user it runs as.
void asUnprivileged(const std::function<void()>& body);

// Makes a process, before it starts, run as nobody when this process is root.
void makeUnprivileged(QProcess& process);

} // namespace nw::test
