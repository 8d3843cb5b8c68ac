'use strict';

const { buildRegistry } = require('../commands');

// Every action the host answers, by name.
module.exports = buildRegistry(
  require('./system').handlers,
  require('./tasks').handlers,
  require('./sessions').handlers,
  require('./association').handlers,
  require('./delivery').handlers,
);
