#pragma once

// `vodu --hook-relay PROVIDER HOME`: the command a provider's hook runs. It hands the event on its standard
// input to the service's socket under HOME and always exits 0 without output, quickly, whether or not the
// service runs: a provider shows a failing hook to the user on every event and waits for a slow one.
int relayHookEvent(const char* provider, const char* home);
