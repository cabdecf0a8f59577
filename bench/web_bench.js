// The examples of Data/ in the WebAssembly build under node against
// pelorin-cli --threads 1: the time of each case, best of a few rounds, and
// the ratio of the totals. The module's time is that of runInputFile alone;
// the runner's is that of a process that runs the case, start-up included (a
// process that runs nothing but --version is timed too, and taken off).
//   node --no-experimental-fetch bench/web_bench.js [ROUNDS]
// PELORIN_WEB_DIR: the page's folder (build/web); PELORIN_CLI: the runner.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const root = path.resolve(__dirname, '..');
const webDir = process.env.PELORIN_WEB_DIR || path.join(root, 'build', 'web');
const cli = process.env.PELORIN_CLI || path.join(root, 'build', 'release', 'app', 'pelorin-cli');
const rounds = Number(process.argv[2] || 3);
const createPelorin = require(path.join(webDir, 'pelorin.js'));

const seconds = (start) => Number(process.hrtime.bigint() - start) / 1e9;

function best(times) {
  return Math.min(...times);
}

function timeNative(folder, args) {
  const start = process.hrtime.bigint();
  const run = spawnSync(cli, args, { cwd: folder });
  const time = seconds(start);
  if (run.status !== 0) throw new Error(`pelorin-cli ${args.join(' ')}: exit ${run.status}`);
  return time;
}

async function main() {
  const M = await createPelorin({ wasmBinary: fs.readFileSync(path.join(webDir, 'pelorin.wasm')) });
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'pelorin-bench-'));
  const inputs = fs.readdirSync(path.join(root, 'Data')).filter((f) => f.endsWith('.inp')).sort();
  for (const name of inputs) fs.copyFileSync(path.join(root, 'Data', name), path.join(folder, name));
  const startUp = best(Array.from({ length: 5 }, () => timeNative(folder, ['--version'])));

  let wasmTotal = 0;
  let wasmFirstTotal = 0;
  let nativeTotal = 0;
  console.log('case                                       wasm (s)  native (s)  ratio');
  for (const name of inputs) {
    const bytes = fs.readFileSync(path.join(folder, name));
    const wasmTimes = [];
    const nativeTimes = [];
    for (let r = 0; r < rounds; ++r) {
      const start = process.hrtime.bigint();
      const result = M.runInputFile(name, bytes, () => {}, () => {});
      wasmTimes.push(seconds(start));
      if (result.outcome !== 'report') throw new Error(name + ': ' + JSON.stringify(result));
      nativeTimes.push(Math.max(timeNative(folder, ['run', '--threads', '1', name]) - startUp, 1e-6));
    }
    const wasm = best(wasmTimes);
    const native = best(nativeTimes);
    wasmTotal += wasm;
    wasmFirstTotal += wasmTimes[0];
    nativeTotal += native;
    console.log(`${name.padEnd(42)} ${wasm.toFixed(3).padStart(8)}  ${native.toFixed(3).padStart(10)}  ${(wasm / native).toFixed(2).padStart(5)}`);
  }
  console.log(`${'all examples'.padEnd(42)} ${wasmTotal.toFixed(3).padStart(8)}  ${nativeTotal.toFixed(3).padStart(10)}  ${(wasmTotal / nativeTotal).toFixed(2).padStart(5)}`);
  console.log(`WebAssembly, first round of each case (while the engine warms up): ${wasmFirstTotal.toFixed(3)} s`);
  console.log(`(start-up of pelorin-cli taken off: ${(startUp * 1000).toFixed(1)} ms; best of ${rounds} rounds)`);
  fs.rmSync(folder, { recursive: true, force: true });
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
