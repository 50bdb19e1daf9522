#pragma once
// The exit statuses of zandolet-cli, as its manual page lists them.
namespace ExitStatus {
constexpr int Done = 0;
constexpr int Problems = 1; // problems found, or a request refused
constexpr int Usage = 2;
constexpr int Failure = 3;  // a file or the network failed
} // namespace ExitStatus
