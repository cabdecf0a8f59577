// Writes bundle.js for the page: the worker's script (the module's glue code
// followed by web/worker.js), the module's WebAssembly in base64 and the
// example input files, so that the page fetches nothing and runs from a saved
// copy as well as from a server.
//   node bundle.js OUT_FILE GLUE_JS WASM WORKER_JS EXAMPLE.inp...
'use strict';
const fs = require('fs');
const path = require('path');

const [outFile, glue, wasm, workerScript, ...examples] = process.argv.slice(2);
const bundle = {
  workerSource: fs.readFileSync(glue, 'latin1') + '\n' + fs.readFileSync(workerScript, 'latin1'),
  wasmBase64: fs.readFileSync(wasm).toString('base64'),
  examples: examples.sort().map((file) => ({
    name: path.basename(file),
    text: fs.readFileSync(file, 'latin1'),
  })),
};
fs.writeFileSync(outFile, '// Made by scripts/web; do not edit.\nself.PelorinBundle = ' + JSON.stringify(bundle) + ';\n');
