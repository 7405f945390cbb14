'use strict';
// Loads the native addon, hands it the result decoder (lib/decode.js), and exports exactly
// `parse` and `keywords`. VEXA_ADDON may name another build of the addon (the sanitizer run
// uses it).
const path = require('node:path');
const decoder = require('./lib/decode.js');

const file = process.env.VEXA_ADDON
  ? path.resolve(process.env.VEXA_ADDON)
  : path.join(__dirname, 'build', 'Release', 'vexa.node');

const addon = require(file);
addon.install(decoder);

module.exports = { parse: addon.parse, keywords: addon.keywords };
