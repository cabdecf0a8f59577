// The page's worker: runs a case, writes and reads input files through the
// WebAssembly module (createPelorin, prepended to this script), so that the
// page stays responsive during a run. The page ends a run by ending the worker.
'use strict';

let modulePromise = null;

// Every request hands its bytes to the module and gets bytes back: the module
// has no file system, so nothing of one request is seen by the next.
const handlers = {
  // {name, bytes}: the input file as it is; the report's bytes, its graph, its
  // figures and graph in US units, the error list or the messages.
  run(M, request, post) {
    return M.runInputFile(
      request.name,
      request.bytes,
      (line) => post({ type: 'progress', line }),
      (text) => post({ type: 'message', text })
    );
  },
  // {name, title1, title2, aim, method, values}: the bytes of the input file.
  write(M, request) {
    return M.writeInput(request.name, request.title1, request.title2, request.aim,
      request.method, request.values);
  },
  // {aim, units, symbols, numbers}: the numbers the input file holds for
  // values typed in the units.
  stored(M, request) {
    return M.storedValues(request.aim, request.units, request.symbols, request.numbers);
  },
  // {aim, units, symbols, numbers}: the numbers of an input file shown in the units.
  shown(M, request) {
    return M.shownValues(request.aim, request.units, request.symbols, request.numbers);
  },
  // {name, bytes}: titles, codes and numbers, or the messages.
  read(M, request) {
    return M.readInput(request.name, request.bytes);
  },
};

self.onmessage = (event) => {
  const request = event.data;
  if (request.type === 'init') {
    modulePromise = createPelorin({ wasmBinary: request.wasm });
    return;
  }
  const post = (message) => self.postMessage(Object.assign({ id: request.id }, message));
  modulePromise
    .then((M) => post({ type: 'done', result: handlers[request.type](M, request, post) }))
    // A module that has aborted cannot run again: the page starts a new worker.
    .catch((error) => post({ type: 'done', result: { outcome: 'failed', crashed: true, messages: [String(error)] } }));
};
