// The WebAssembly build under node gives the same reports as the programs,
// byte for byte: every example of Data/ against its golden report, and the
// long cases of the thread tests, a refused case and a case that ends on a
// fault against pelorin-cli --threads 1 run on the same input file (report,
// error list, progress lines and messages).
//   node --no-experimental-fetch --test tests/web/same_numbers_test.js
// PELORIN_WEB_DIR: the page's folder (build/web); PELORIN_CLI: the runner
// (build/release/app/pelorin-cli).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const root = path.resolve(__dirname, '..', '..');
const webDir = process.env.PELORIN_WEB_DIR || path.join(root, 'build', 'web');
const cli = process.env.PELORIN_CLI || path.join(root, 'build', 'release', 'app', 'pelorin-cli');
const createPelorin = require(path.join(webDir, 'pelorin.js'));

let modulePromise = null;
function pelorin() {
  // The bytes are handed over as the page hands them to its worker.
  if (!modulePromise) modulePromise = createPelorin({ wasmBinary: fs.readFileSync(path.join(webDir, 'pelorin.wasm')) });
  return modulePromise;
}

// Runs an input file's bytes under `name` in the module, as the page's worker does.
function runInModule(M, name, bytes) {
  const lines = [];
  const result = M.runInputFile(name, bytes, (line) => lines.push(line), (text) => lines.push(text));
  result.stderrLines = lines;
  if (result.outcome === 'report') result.report = Buffer.from(result.report);
  return result;
}

// The same file run by pelorin-cli with one thread in a fresh folder.
function runWithCli(name, bytes) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'pelorin-web-'));
  try {
    fs.writeFileSync(path.join(folder, name), bytes);
    const run = spawnSync(cli, ['run', '--threads', '1', name], { cwd: folder, encoding: 'latin1' });
    const report = path.join(folder, name.replace(/\.inp$/, '.out'));
    const errorList = path.join(folder, 'Error.lst');
    return {
      status: run.status,
      stderr: run.stderr,
      report: fs.existsSync(report) ? fs.readFileSync(report) : null,
      errorList: fs.existsSync(errorList) ? fs.readFileSync(errorList, 'latin1') : null,
    };
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// An input file written by the module's writer (the case files' own).
function inputFile(M, name, aim, method, values) {
  const written = M.writeInput(name, 'Test case', 'Second title', aim, method, values);
  assert.strictEqual(written.error, undefined);
  return Buffer.from(written.bytes);
}

test('every example of Data/ gives its golden report byte for byte', async () => {
  const M = await pelorin();
  const inputs = fs.readdirSync(path.join(root, 'Data')).filter((f) => f.endsWith('.inp')).sort();
  assert.ok(inputs.length >= 19, 'the examples are there');
  for (const name of inputs) {
    const result = runInModule(M, name, fs.readFileSync(path.join(root, 'Data', name)));
    assert.strictEqual(result.outcome, 'report', name);
    const golden = fs.readFileSync(path.join(root, 'Data', name.replace(/\.inp$/, '.out')));
    assert.ok(result.report.equals(golden), name + ': the report differs from the golden one');
  }
});

// The cases of the thread tests whose marches are long, for every aim and method.
const layered = [0.007, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0];
const discharge = [0.7, ...layered.slice(1), 60];
const conductivity = [0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 60, 0, 0, 0, 0, 0];
const longCases = [
  ['depth.inp', 'Hyd', 'Ene', [...layered, 60]],
  ['spacing-energy.inp', 'Spa', 'Ene', [...layered, 0.9]],
  ['spacing-darcy.inp', 'Spa', 'Dar', [...layered, 1.05]],
  ['discharge-energy.inp', 'Dis', 'Ene', discharge],
  ['discharge-darcy.inp', 'Dis', 'Dar', discharge],
  ['conductivity-energy.inp', 'Con', 'Ene', conductivity],
  ['conductivity-darcy.inp', 'Con', 'Dar', conductivity],
];

// Cases that end otherwise: refused by the input check (Dw below Db, no
// permeability; a negative recharge), and one that makes a report close to
// the drain.
const otherCases = [
  ['refused.inp', 'Spa', 'Dar', [0.007, 2.0, 4.0, 1.5, 1.3, 0, 0, 0, 0, 0, 0, 0, 0.5]],
  ['refused-conductivity.inp', 'Con', 'Ene', [-0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 0, 0, 0, 0, 0, 0]],
  ['shallow.inp', 'Spa', 'Ene', [0.007, 2.0, 4.0, 1.0, 1.1, 0, 0, 0.5, 0.8, 0.4, 1.5, 0.6, 0.999]],
];

// Input files as bytes: faults of the arithmetic and files that cannot be read.
const head = 'T1\r\nT2\r\nFile Name: x\r\n';
const spacing = '0.01 1.5 2.0 1.0 2.0 0 0 0.2 0.5 0.5 0.5 0.5 0.5';
const rawCases = [
  ['zero-transmissivity.inp', head + 'Dis Dar\r\n0.5 1.5 2.0 1.0 2.0 0 0 0 0 0 0 0 20\r\n'],
  ['huge-layer.inp', head + 'Spa Dar\r\n' + spacing.replace('0.2 0.5', '1e308 1e308') + '\r\n'],
  ['steps-beyond-32-bits.inp', head + 'Hyd Dar\r\n' + spacing.replace(/ 0\.5$/, ' 1e12') + '\r\n'],
  ['corrupt-number.inp', head + 'Spa Dar\r\n' + spacing.replace('2.0 1.0', 'NaN 1.0') + '\r\n'],
  ['empty.inp', ''],
  ['lf-only.inp', (head + 'Spa Ene\r\n' + spacing + '\r\n').replace(/\r\n/g, '\n')],
];

// Runs one input file both ways and compares how they end.
function expectSameEnd(M, name, bytes) {
  const wasm = runInModule(M, name, bytes);
  const native = runWithCli(name, bytes);
  if (native.report) {
    assert.strictEqual(wasm.outcome, 'report', JSON.stringify(wasm));
    assert.ok(wasm.report.equals(native.report), 'the report differs from pelorin-cli\'s');
    assert.strictEqual(wasm.stderrLines.map((l) => l + '\n').join(''), native.stderr);
  } else if (native.errorList) {
    assert.strictEqual(native.status, 1);
    assert.strictEqual(wasm.outcome, 'refused', JSON.stringify(wasm));
    assert.strictEqual(wasm.errorList.map((l) => l + '\r\n').join(''), native.errorList);
  } else {
    assert.strictEqual(native.status, 2);
    assert.strictEqual(wasm.outcome, 'failed', JSON.stringify(wasm));
    const lines = wasm.stderrLines.map((l) => l + '\n').join('') +
      wasm.messages.map((m) => name + ': ' + m + '\n').join('');
    assert.strictEqual(lines, native.stderr);
  }
  return native.report ? 'report' : native.errorList ? 'refused' : 'failed';
}

for (const [name, aim, method, values] of [...longCases, ...otherCases]) {
  test(`${name} (${aim} ${method}) ends as with pelorin-cli --threads 1`, async () => {
    const M = await pelorin();
    const end = expectSameEnd(M, name, inputFile(M, name, aim, method, values));
    assert.strictEqual(end, name.startsWith('refused') ? 'refused' : 'report');
  });
}

for (const [name, text] of rawCases) {
  test(`${name} fails or runs as with pelorin-cli --threads 1`, async () => {
    const M = await pelorin();
    const end = expectSameEnd(M, name, Buffer.from(text, 'latin1'));
    assert.strictEqual(end, name === 'lf-only.inp' ? 'report' : 'failed');
  });
}

// The graph of every example as the page draws it: a marker for each row the
// scales mark, a dotted segment for each segment of the requested line, every
// tick label, and the requested line's legend except for the water-table depth.
test('the graph of every example has the markers, line, ticks and legends its scales give', async () => {
  const M = await pelorin();
  const { graphSvg } = require(path.join(webDir, 'graph.js'));
  const count = (range) => Math.max(0, range.last - range.first + 1);
  // The footer names the program and the version the build gives pelorin-cli.
  const version = spawnSync(cli, ['--version'], { encoding: 'utf8' }).stdout.trim().split(' ')[1];
  assert.match(version, /^\d+\.\d+/);
  const reports = fs.readdirSync(path.join(root, 'Data')).filter((f) => f.endsWith('.out')).sort();
  for (const name of reports) {
    const graph = M.graphOfReport(name, fs.readFileSync(path.join(root, 'Data', name)));
    assert.strictEqual(graph.refusal, undefined, name);
    const svg = graphSvg(graph, {});
    const texts = [...svg.matchAll(/<text [^>]*>([^<]*)<\/text>/g)].map((m) => m[1]);
    assert.strictEqual(texts.filter((t) => t === 'x').length, count(graph.darcyMarkers), name);
    assert.strictEqual(texts.filter((t) => t === 'o').length, count(graph.energyMarkers), name);
    assert.strictEqual((svg.match(/stroke-dasharray/g) || []).length, count(graph.segments), name);
    const hyd = graph.methodTag === ' Hyd';
    assert.strictEqual(graph.requested === 'none', hyd, name);
    assert.strictEqual(texts.includes(graph.legendRequested), !hyd, name);
    for (const tick of [...graph.heightTicks, ...graph.distanceTicks])
      assert.ok(texts.includes(tick.label.trim()), `${name}: tick ${tick.label}`);
    assert.ok(graph.heightTicks.length >= 6 && graph.distanceTicks.length >= 6, name);
    assert.ok(texts.includes('Pelorin ' + version), name);
    // Black and white: no colour but the grey of the canvas.
    const inks = new Set(graphSvg(graph, { blackAndWhite: true }).match(/#[0-9a-f]{6}/g));
    assert.deepStrictEqual([...inks].sort(), ['#000000', '#c0c0c0', '#ffffff'], name);
  }
});
