#!/usr/bin/env node
'use strict';

// The VODU service for the desktop app: status snapshots as newline-delimited JSON on stdout, commands on
// stdin. Started by the bundle's launcher as `vodu --desktop-host`; that argument needs no handling here.

const path = require('node:path');
const { runHost } = require('./lib/host');

const host = runHost({
  env: process.env,
  entryPath: path.resolve(process.argv[1] || __filename),
  baseDir: __dirname,
  stdin: process.stdin,
  stdout: process.stdout,
  stderr: process.stderr,
  exit: (code) => process.exit(code),
});

for (const signal of ['SIGTERM', 'SIGINT', 'SIGHUP']) process.on(signal, () => host.finish(0));
process.on('uncaughtException', (error) => {
  process.stderr.write(`desktop-host: unexpected failure: ${error && error.stack ? error.stack : error}\n`);
  host.finish(1);
});
