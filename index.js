'use strict';
// Loads the native addon and hands out its own exports object: exactly `parse` and `keywords`.
// VEXA_ADDON may name another build of the addon (the sanitizer run uses it).
const path = require('node:path');

const file = process.env.VEXA_ADDON
  ? path.resolve(process.env.VEXA_ADDON)
  : path.join(__dirname, 'build', 'Release', 'vexa.node');

module.exports = require(file);
