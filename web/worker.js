// The page's worker: runs a case, writes and reads input files through the
// WebAssembly module (createPelorin, prepended to this script), so that the
// page stays responsive during a run. The page ends a run by ending the worker.
'use strict';

let modulePromise = null;

// Every request works in a folder of its own in the module's in-memory file
// system, removed afterwards: no file of one request is seen by the next.
let requestCount = 0;
function inFreshFolder(M, work) {
  const folder = '/r' + ++requestCount;
  M.FS.mkdir(folder);
  M.FS.chdir(folder);
  try {
    return work();
  } finally {
    M.FS.chdir('/');
    for (const name of M.FS.readdir(folder)) {
      if (name !== '.' && name !== '..') M.FS.unlink(folder + '/' + name);
    }
    M.FS.rmdir(folder);
  }
}

function readIfThere(M, name) {
  try {
    return M.FS.readFile(name);
  } catch (error) {
    return null;
  }
}

const handlers = {
  // {name, bytes}: the input file as it is; the report's bytes, the error
  // list or the messages, and the graph of the report.
  run(M, request, post) {
    return inFreshFolder(M, () => {
      M.FS.writeFile(request.name, request.bytes);
      const result = M.runInputFile(
        request.name,
        (line) => post({ type: 'progress', line }),
        (text) => post({ type: 'message', text })
      );
      if (result.outcome === 'report') {
        result.report = readIfThere(M, result.reportFile);
        result.graph = M.graphOfReport(result.reportFile);
      }
      return result;
    });
  },
  // {name, title1, title2, aim, method, values}: the bytes of the input file.
  write(M, request) {
    return inFreshFolder(M, () => {
      const error = M.writeInput(request.name, request.title1, request.title2, request.aim,
        request.method, request.values);
      return error ? { error } : { bytes: M.FS.readFile(request.name) };
    });
  },
  // {name, bytes}: titles, codes and numbers, or the messages.
  read(M, request) {
    return inFreshFolder(M, () => {
      M.FS.writeFile(request.name, request.bytes);
      return M.readInput(request.name);
    });
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
