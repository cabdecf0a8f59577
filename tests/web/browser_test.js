// The page in headless Chromium, as a user meets it: served by
// python3 -m http.server and opened from the folder (file://). An example is
// run and its report, shown and downloaded, is the golden one byte for byte;
// an opened input file gives pelorin-cli's report; a long run is cancelled,
// also by opening another case; a refused case shows the error list
// pelorin-cli leaves; fields the input file cannot take are named; the
// plausibility rules are asked as questions; the Symbols legend is the
// desktop's; the run's warnings stand in a box above the report; the page
// fits a phone's width with every field labelled; a case typed in US units
// saves and runs as typed in SI, its results, profile and graph shown in
// feet; the soil-texture presets fill and mark the fields.
//   node --test tests/web/browser_test.js
// PELORIN_WEB_DIR: the page (build/web); PELORIN_CLI: the runner;
// PELORIN_WEB_SCREENSHOT: where to save a picture of the page after a run.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn, spawnSync } = require('child_process');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '..', '..');
const webDir = process.env.PELORIN_WEB_DIR || path.join(root, 'build', 'web');
const cli = process.env.PELORIN_CLI || path.join(root, 'build', 'release', 'app', 'pelorin-cli');
const workDir = fs.mkdtempSync(path.join(os.tmpdir(), 'pelorin-browser-'));
const downloads = path.join(workDir, 'downloads');
fs.mkdirSync(downloads);

let server = null;
let baseUrl = null;
let browser = null;

// A static file server on a free port of the loopback address.
function startServer() {
  return new Promise((resolve, reject) => {
    server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1'], { cwd: webDir });
    server.stdout.on('data', (data) => {
      const port = /port (\d+)/.exec(String(data));
      if (port) resolve(`http://127.0.0.1:${port[1]}/`);
    });
    server.on('exit', (code) => reject(new Error('the file server ended: ' + code)));
  });
}

test.before(async () => {
  baseUrl = await startServer();
  browser = await puppeteer.launch({
    executablePath: process.env.PELORIN_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox'],
  });
});

test.after(async () => {
  if (browser) await browser.close();
  if (server) server.kill();
  fs.rmSync(workDir, { recursive: true, force: true });
});

async function openPage(url, viewport) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('requestfailed', (request) => errors.push('request failed: ' + request.url()));
  page.on('response', (response) => {
    if (response.status() >= 400) errors.push(`${response.status()}: ${response.url()}`);
  });
  // Nothing is fetched from anywhere but the folder of the page.
  page.on('request', (request) => {
    const url = request.url();
    if (!url.startsWith(baseUrl) && !/^(file|blob|data):/.test(url)) errors.push('fetched from elsewhere: ' + url);
  });
  page.errors = errors;
  await page.setViewport(viewport || { width: 1280, height: 1000 });
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.goto(url);
  // The page is ready when its examples menu is filled.
  await page.waitForFunction(() => document.querySelectorAll('#examples option').length > 1);
  return page;
}

// Every page ends without a script error, a failed request or a fetch from
// outside its folder.
async function closePage(page) {
  assert.deepStrictEqual(page.errors, []);
  await page.close();
}

async function waitForDownload(name) {
  const file = path.join(downloads, name);
  for (let i = 0; i < 100 && !fs.existsSync(file); ++i) await new Promise((r) => setTimeout(r, 100));
  assert.ok(fs.existsSync(file), name + ' was downloaded');
  return fs.readFileSync(file);
}

async function chooseExample(page, name) {
  await page.select('#examples', name);
  await page.waitForFunction((n) => document.getElementById('file-name').value === n, {}, name);
}

// Runs the case of the fields and waits until the run has ended.
async function runCase(page) {
  await page.click('#run');
  await page.waitForFunction(() => document.getElementById('cancel').disabled === false ||
    document.getElementById('progress').textContent !== '');
  await page.waitForFunction(() => document.getElementById('cancel').disabled &&
    !document.getElementById('run').disabled, { timeout: 60000 });
}

const shownReport = (page) => page.$eval('#report', (e) => e.textContent);
const shownQuestions = (page) => page.$$eval('#questions li', (items) => items.map((e) => e.textContent));
const focused = (page) => page.evaluate(() => document.activeElement.id);
const shownErrors = (page) => page.$eval('#error-list', (e) => e.textContent);
const golden = (name) => fs.readFileSync(path.join(root, 'Data', name));

function runWithCli(name, bytes) {
  const folder = fs.mkdtempSync(path.join(workDir, 'cli-'));
  fs.writeFileSync(path.join(folder, name), bytes);
  const run = spawnSync(cli, ['run', '--threads', '1', name], { cwd: folder });
  const read = (file) => (fs.existsSync(path.join(folder, file)) ? fs.readFileSync(path.join(folder, file)) : null);
  // Its progress lines and messages, a line each on standard error.
  const stderrLines = run.stderr.toString('latin1').split('\n').filter((line) => line !== '');
  return { status: run.status, report: read(name.replace(/\.inp$/, '.out')), errorList: read('Error.lst'), stderrLines };
}

test('an example run from the menu shows and downloads its golden report and draws its graph', async () => {
  const page = await openPage(baseUrl + 'index.html');
  await chooseExample(page, 'spacing-energy-ditch.inp');
  assert.strictEqual(await page.$eval('#aim', (e) => e.value), 'Spa');
  assert.strictEqual(await page.$eval('#method', (e) => e.value), 'Ene');
  await runCase(page);
  const want = golden('spacing-energy-ditch.out');
  assert.strictEqual(await shownReport(page), want.toString('latin1'));
  await page.click('#download-report');
  assert.ok((await waitForDownload('spacing-energy-ditch.out')).equals(want), 'the downloaded report is the golden one');
  assert.strictEqual(await shownErrors(page), 'No errors.');

  // The graph: both tables' markers, the requested line and the captions.
  const graph = await page.$eval('#graph svg', (svg) => ({
    texts: [...svg.querySelectorAll('text')].map((t) => t.textContent),
    dotted: svg.querySelectorAll('line[stroke-dasharray]').length,
  }));
  assert.ok(graph.texts.includes('x') && graph.texts.includes('o'), 'markers are drawn');
  assert.ok(graph.dotted > 0, 'the requested line is drawn');
  assert.ok(graph.texts.some((t) => t.startsWith('Distance from drain')), 'the distance caption is drawn');
  await page.click('#download-graph');
  const svg = (await waitForDownload('spacing-energy-ditch.svg')).toString('utf8');
  assert.match(svg, /^<svg xmlns="http:\/\/www.w3.org\/2000\/svg"/);
  if (process.env.PELORIN_WEB_SCREENSHOT) {
    await page.setViewport({ width: 1100, height: 1400 });
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.screenshot({ path: process.env.PELORIN_WEB_SCREENSHOT });
  }
  await closePage(page);
});

test('an opened input file, run from the keyboard, gives pelorin-cli\'s report', async () => {
  // A long case of the thread tests, written as the desktop program writes it.
  const name = 'opened-depth.inp';
  const bytes = Buffer.from('Opened case\r\nDepth, long marches\r\nFile Name: x\r\nHyd Ene\r\n' +
    '0.007 2.0 4.0 1.2 1.3 0.5 0 0.6 0.8 0.4 2.0 1.0 60.00001\r\n', 'latin1');
  const file = path.join(workDir, name);
  fs.writeFileSync(file, bytes);
  const page = await openPage(baseUrl + 'index.html');
  // The examples menu by the keyboard: each arrow key opens the next example
  // after the first, which the page opens with.
  const examples = fs.readdirSync(path.join(root, 'Data')).filter((f) => f.endsWith('.inp')).sort();
  await page.focus('#examples');
  for (const example of examples.slice(1, 3)) {
    await page.keyboard.press('ArrowDown');
    await page.waitForFunction((n) => document.getElementById('file-name').value === n, {}, example);
  }
  const chooser = await page.$('#open-file');
  await chooser.uploadFile(file);
  await page.waitForFunction((n) => document.getElementById('file-name').value === n, {}, name);
  await page.focus('#title1');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('download-report').disabled, { timeout: 60000 });
  const native = runWithCli(name, bytes);
  assert.strictEqual(native.status, 0);
  assert.strictEqual(await shownReport(page), native.report.toString('latin1'));
  await closePage(page);
});

test('the run\'s warnings stand in a box of their own above its report, as pelorin-cli gives them', async () => {
  // An input file of Data/, or one cut to 12 numbers (the last taken as 0).
  const cut = (text) => text.replace(/\s+[^\s]+\s*$/, '\r\n');
  const cases = [
    { name: 'depth-above-surface.inp', box: true },
    { name: 'spacing-pipe.inp', from: 'spacing-darcy-pipe.inp', box: false },
    { name: 'spacing-darcy-short.inp', box: true },
    { name: 'twelve-numbers.inp', from: 'spacing-darcy-pipe.inp', edit: cut, box: true },
    { name: 'depth-pipe.inp', box: false },
  ];
  const page = await openPage(baseUrl + 'index.html');
  const heading = await page.evaluate(() => self.PelorinTables.runWarnings.heading);
  assert.strictEqual(heading, 'Warnings of the run');
  for (const c of cases) {
    let text = golden(c.from || c.name).toString('latin1');
    if (c.edit) text = c.edit(text);
    const bytes = Buffer.from(text, 'latin1');
    const file = path.join(workDir, c.name);
    fs.writeFileSync(file, bytes);
    await (await page.$('#open-file')).uploadFile(file);
    await page.waitForFunction((n) => document.getElementById('file-name').value === n, {}, c.name);
    await runCase(page);
    const native = runWithCli(c.name, bytes);
    assert.strictEqual(native.status, 0, c.name);
    assert.strictEqual(await shownReport(page), native.report.toString('latin1'), c.name);
    const box = await page.$eval('#warnings', (e) => ({
      shown: !e.classList.contains('hidden') && e.offsetHeight > 0,
      name: document.getElementById(e.getAttribute('aria-labelledby')).textContent,
      items: [...e.querySelectorAll('li')].map((li) => li.textContent),
      aboveReport: e.getBoundingClientRect().bottom <= document.getElementById('report').getBoundingClientRect().top,
    }));
    assert.strictEqual(box.shown, c.box, c.name + ': the box is shown');
    // pelorin-cli writes progress lines and messages alike to standard error;
    // the progress lines are the page's progress box's.
    const progress = (await page.$eval('#progress', (e) => e.textContent)).split('\n');
    const messages = native.stderrLines.filter((line) => !progress.includes(line));
    assert.deepStrictEqual(box.items, messages, c.name + ': the messages of pelorin-cli');
    assert.strictEqual(box.items.length > 0, c.box, c.name);
    if (c.box) {
      assert.strictEqual(box.name, heading);
      assert.ok(box.aboveReport, c.name + ': the box stands above the report');
    }
  }
  await closePage(page);
});

test('Cancel ends a long run, keeps the previous report, and the next run works', async () => {
  const page = await openPage(baseUrl + 'index.html');
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  await runCase(page);
  const before = await shownReport(page);
  // Depth by the energy balance with a spacing of 600 m: some seconds of marching.
  await page.select('#aim', 'Hyd');
  await page.$eval('#value-13', (e) => { e.value = '600'; });
  await page.$eval('#value-13', (e) => e.dispatchEvent(new Event('input', { bubbles: true })));
  await page.click('#run');
  await page.waitForFunction(() => !document.getElementById('cancel').disabled);
  // The page answers while the worker marches.
  assert.strictEqual(await page.evaluate(() => document.getElementById('value-13').value), '600');
  await new Promise((r) => setTimeout(r, 500));
  await page.click('#cancel');
  await page.waitForFunction(() => document.getElementById('progress').textContent.includes('The run was cancelled'));
  assert.strictEqual(await page.$eval('#run', (e) => e.disabled), false);
  assert.strictEqual(await focused(page), 'run', 'Save/Run has the focus after Cancel');
  assert.strictEqual(await shownReport(page), before);
  await chooseExample(page, 'discharge-darcy-pipe.inp');
  await runCase(page);
  assert.strictEqual(await shownReport(page), golden('discharge-darcy-pipe.out').toString('latin1'));
  await closePage(page);
});

test('a refused case shows the error list that pelorin-cli leaves, and saves its input file', async () => {
  const page = await openPage(baseUrl + 'index.html');
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  await runCase(page);
  const before = await shownReport(page);
  await page.$eval('#file-name', (e) => { e.value = 'refused.inp'; });
  await page.click('#value-4', { clickCount: 3 });
  await page.keyboard.type('1.5');  // Dw below the drain bottom Db
  await runCase(page);
  const shown = await shownErrors(page);
  await page.click('#save-input');
  const saved = await waitForDownload('refused.inp');
  const native = runWithCli('refused.inp', saved);
  assert.strictEqual(native.status, 1);
  assert.strictEqual(shown + '\n', native.errorList.toString('latin1').replace(/\r\n/g, '\n'));
  assert.ok(shown.length > 20, 'the list has messages');
  assert.strictEqual(await shownReport(page), before, 'the previous report stays');

  // A file the reader cannot use is not opened; its message is pelorin-cli's.
  const corrupt = path.join(workDir, 'corrupt.inp');
  fs.writeFileSync(corrupt, 'T1\r\nT2\r\nFile Name: x\r\nSpa Dar\r\n0.01 1.5 NaN 1.0\r\n');
  await (await page.$('#open-file')).uploadFile(corrupt);
  await page.waitForFunction(() => document.getElementById('error-list').textContent.includes('corrupt'));
  const cliRun = spawnSync(cli, ['run', '--threads', '1', 'corrupt.inp'], { cwd: workDir, encoding: 'latin1' });
  assert.strictEqual(cliRun.status, 2);
  const message = cliRun.stderr.trim().replace(/^corrupt\.inp: /, '');
  assert.ok((await shownErrors(page)).includes(message), message);
  assert.strictEqual(await page.$eval('#file-name', (e) => e.value), 'refused.inp', 'the case stays');
  await closePage(page);
});

test('a saved copy opened from the disk (file://) runs an example', async () => {
  const page = await openPage('file://' + path.join(webDir, 'index.html'));
  await chooseExample(page, 'conductivity-darcy-pipe.inp');
  await runCase(page);
  assert.strictEqual(await shownReport(page), golden('conductivity-darcy-pipe.out').toString('latin1'));
  await closePage(page);
});

test('at a phone\'s width nothing runs off the side and every field has its label', async () => {
  const page = await openPage(baseUrl + 'index.html', { width: 390, height: 844, isMobile: true });
  for (const aim of ['Spa', 'Dis', 'Hyd', 'Con']) {
    await page.select('#aim', aim);
    const layout = await page.evaluate(() => ({
      width: document.documentElement.scrollWidth,
      unlabelled: [...document.querySelectorAll('input, select')]
        .filter((e) => e.offsetParent !== null && e.type !== 'file')
        .filter((e) => !e.labels || e.labels.length === 0 || e.labels[0].textContent.trim() === '')
        .map((e) => e.id),
      captions: [...document.querySelectorAll('#rows label')]
        .filter((e) => e.offsetParent !== null).map((e) => e.textContent),
    }));
    assert.ok(layout.width <= 390, `${aim}: the page is ${layout.width} pixels wide`);
    assert.deepStrictEqual(layout.unlabelled, [], aim);
    const rows = aim === 'Con' ? 9 : 13;
    assert.strictEqual(layout.captions.length, rows, aim);
    // Every control a finger can hit: at least 24 pixels each way.
    const small = await page.evaluate(() => [...document.querySelectorAll('button, select, input, a.button')]
      .filter((e) => e.offsetParent !== null && e.type !== 'file')
      .map((e) => ({ id: e.id || e.textContent, box: e.getBoundingClientRect() }))
      .filter(({ box }) => box.width < 24 || box.height < 24)
      .map(({ id, box }) => `${id} ${box.width}x${box.height}`));
    assert.deepStrictEqual(small, [], aim);
  }
  await closePage(page);
});

// Types a text into the field of a row, as a user does.
async function typeInto(page, row, text) {
  await page.click('#value-' + row, { clickCount: 3 });
  await page.keyboard.press('Backspace');
  if (text !== '') await page.keyboard.type(text);
}

test('the page opens on the first example of the menu, not yet run', async () => {
  const page = await openPage(baseUrl + 'index.html');
  const first = fs.readdirSync(path.join(root, 'Data')).filter((f) => f.endsWith('.inp')).sort()[0];
  await page.waitForFunction((n) => document.getElementById('file-name').value === n, {}, first);
  assert.strictEqual(await page.$eval('#examples', (e) => e.value), first);
  assert.strictEqual(await shownReport(page), 'Run a case to see its report here.');
  await runCase(page);
  assert.strictEqual(await shownReport(page), golden(first.replace(/\.inp$/, '.out')).toString('latin1'));
  await closePage(page);
});

test('a field the input file cannot take is named by its row and quantity, marked and focused', async () => {
  const page = await openPage(baseUrl + 'index.html');
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  const rows = [
    { aim: 'Spa', row: 1, text: '', message: 'Row 1, R (m/day): an empty field is not a valid real number' },
    { aim: 'Spa', row: 3, text: '1e400', message: 'Row 3, D2 (m): 1e400 is too large for the input file' },
    { aim: 'Spa', row: 3, text: 'Infinity', message: 'Row 3, D2 (m): Infinity is not a valid real number' },
    { aim: 'Dis', row: 13, text: '2,5,1', message: 'Row 13, S (m): 2,5,1 is not a valid real number' },
    { aim: 'Con', row: 3, text: '1e70', message: 'Row 3, R (m/day): 1e70 is too large for the input file' },
  ];
  for (const row of rows) {
    await page.select('#aim', row.aim);
    const before = await page.$eval('#value-' + row.row, (e) => e.value);
    await typeInto(page, row.row, row.text);
    await page.click('#run');
    await page.waitForFunction((m) => document.getElementById('error-list').textContent.includes(m), {}, row.message);
    assert.strictEqual(await focused(page), 'value-' + row.row, row.message);
    const invalid = await page.$$eval('#rows input[aria-invalid="true"]', (e) => e.map((i) => i.id));
    assert.deepStrictEqual(invalid, ['value-' + row.row], row.message);
    assert.strictEqual(await page.$eval('#progress', (e) => e.textContent), '', 'nothing ran');
    await typeInto(page, row.row, before);
  }
  // Numbers again: the marks go, and the case runs.
  await page.select('#aim', 'Spa');
  await runCase(page);
  assert.deepStrictEqual(await page.$$eval('#rows input[aria-invalid="true"]', (e) => e.length), 0);
  assert.strictEqual(await shownErrors(page), 'No errors.');
  await closePage(page);
});

test('the plausibility rules are asked as questions, and the run goes on as pelorin-cli runs the file', async () => {
  const page = await openPage(baseUrl + 'index.html');
  const rows = [
    // D1 below Dw, and Ka not above R: two questions, in the desktop's order.
    { example: 'spacing-darcy-pipe.inp', edits: [[2, '0.5'], [8, '0.0005']],
      questions: ['Take care that D1 is not less than Dw.', 'Take care that Ka is greater than R.'] },
    // D2 equal to D1: the desktop's rule changes numbers, so the page asks
    // nothing and runs the numbers as they stand.
    { example: 'discharge-energy-ditch.inp', edits: [[3, null]], questions: [] },
    { example: 'conductivity-darcy-pipe.inp', edits: [[3, '0.00005']],
      questions: ['Take care that R is larger than 0.0001'] },
  ];
  for (const row of rows) {
    await chooseExample(page, row.example);
    for (const [field, text] of row.edits) {
      // null: the text of the row above (D2 := D1)
      const value = text === null ? await page.$eval('#value-' + (field - 1), (e) => e.value) : text;
      await typeInto(page, field, value);
    }
    await page.$eval('#file-name', (e) => { e.value = 'questions.inp'; });
    await runCase(page);
    assert.deepStrictEqual(await shownQuestions(page), row.questions, row.example);
    assert.strictEqual(await page.$eval('#questions-box', (e) => e.classList.contains('hidden')),
      row.questions.length === 0, row.example);
    await page.click('#save-input');
    const saved = await waitForDownload('questions.inp');
    fs.unlinkSync(path.join(downloads, 'questions.inp'));
    const native = runWithCli('questions.inp', saved);
    if (native.status === 0) {
      assert.strictEqual(await shownReport(page), native.report.toString('latin1'), row.example);
      assert.strictEqual(await shownErrors(page), 'No errors.', row.example);
    } else {
      assert.strictEqual(await shownErrors(page) + '\n',
        native.errorList.toString('latin1').replace(/\r\n/g, '\n'), row.example);
    }
  }
  await closePage(page);
});

// The legend's lines as the desktop's Output sheet shows them.
function desktopSymbolsLegend() {
  const header = fs.readFileSync(path.join(root, 'sheetrules', 'SymbolsLegend.h'), 'utf8');
  const table = header.slice(header.indexOf('kSymbolsLegend'), header.indexOf('};'));
  return [...table.matchAll(/"((?:[^"\\]|\\.)*)"/g)].map((m) => m[1]);
}

test('the Symbols button shows and hides the desktop\'s legend beside the report', async () => {
  const page = await openPage(baseUrl + 'index.html');
  assert.strictEqual(await page.$eval('#symbols-button', (e) => e.disabled), true, 'no report, no legend');
  await chooseExample(page, 'depth-pipe.inp');
  await runCase(page);
  const state = () => page.evaluate(() => ({
    shown: document.getElementById('symbols').offsetParent !== null,
    caption: document.getElementById('symbols-button').textContent,
    expanded: document.getElementById('symbols-button').getAttribute('aria-expanded'),
    text: document.getElementById('symbols').textContent,
  }));
  assert.deepStrictEqual((({ shown, caption }) => ({ shown, caption }))(await state()), { shown: false, caption: 'Symbols' });
  await page.click('#symbols-button');
  const open = await state();
  assert.deepStrictEqual([open.shown, open.caption, open.expanded], [true, 'Close symbols', 'true']);
  assert.strictEqual(open.text, desktopSymbolsLegend().join('\n'));
  assert.ok((await shownReport(page)).includes('(see also the Symbols button)'));
  await page.click('#symbols-button');
  assert.deepStrictEqual((({ shown, caption }) => ({ shown, caption }))(await state()), { shown: false, caption: 'Symbols' });
  await closePage(page);
});

// Starts the long depth run of the Cancel test.
async function startLongRun(page) {
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  await page.select('#aim', 'Hyd');
  await typeInto(page, 13, '600');
  await page.click('#run');
  await page.waitForFunction(() => !document.getElementById('cancel').disabled);
}

test('opening a case while a run goes ends the run; the menu, the fields and the next run agree', async () => {
  const page = await openPage(baseUrl + 'index.html');
  const examples = fs.readdirSync(path.join(root, 'Data')).filter((f) => f.endsWith('.inp')).sort();
  const opens = [
    // The next example by the keyboard: the menu keeps the focus.
    async () => {
      await page.focus('#examples');
      await page.keyboard.press('ArrowDown');
      return { name: examples[examples.indexOf('spacing-darcy-pipe.inp') + 1], focus: 'examples' };
    },
    async () => {
      const file = path.join(workDir, 'discharge-darcy-pipe.inp');
      fs.copyFileSync(path.join(root, 'Data', 'discharge-darcy-pipe.inp'), file);
      await (await page.$('#open-file')).uploadFile(file);
      return { name: 'discharge-darcy-pipe.inp', focus: null };
    },
  ];
  for (const open of opens) {
    await startLongRun(page);
    assert.strictEqual(await focused(page), 'cancel', 'Cancel has the focus during a run');
    const { name, focus } = await open();
    await page.waitForFunction((n) => document.getElementById('file-name').value === n &&
      document.getElementById('progress').textContent.includes('The run was cancelled'), {}, name);
    const aim = fs.readFileSync(path.join(root, 'Data', name), 'latin1').split('\r\n')[3].slice(0, 3);
    assert.strictEqual(await page.$eval('#aim', (e) => e.value), aim, name);
    assert.strictEqual(await page.$eval('#run', (e) => e.disabled), false);
    if (focus) assert.strictEqual(await focused(page), focus, 'the focus stays where the case was opened');
    await runCase(page);
    assert.strictEqual(await shownReport(page), golden(name.replace(/\.inp$/, '.out')).toString('latin1'));
    assert.strictEqual(await focused(page), 'report', 'the report has the focus after a run');
  }
  // A file that cannot be opened leaves the menu naming the case shown.
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  const corrupt = path.join(workDir, 'unusable.inp');
  fs.writeFileSync(corrupt, 'T1\r\nT2\r\nFile Name: x\r\nXyz Dar\r\n1 2 3\r\n');
  await (await page.$('#open-file')).uploadFile(corrupt);
  await page.waitForFunction(() => document.getElementById('error-list').textContent.includes('unusable.inp'));
  assert.strictEqual(await page.$eval('#examples', (e) => e.value), 'spacing-darcy-pipe.inp');
  assert.strictEqual(await page.$eval('#file-name', (e) => e.value), 'spacing-darcy-pipe.inp');
  await closePage(page);
});

test('the aim and method boxes are named, and Method is off where the aim has one engine', async () => {
  const page = await openPage(baseUrl + 'index.html');
  const labelOf = (id) => page.$eval('#' + id, (e) => e.labels[0].textContent);
  assert.strictEqual(await labelOf('aim'), 'Aim');
  assert.strictEqual(await labelOf('method'), 'Method');
  for (const [aim, off] of [['Spa', false], ['Dis', false], ['Hyd', true], ['Con', false]]) {
    await page.select('#aim', aim);
    assert.strictEqual(await page.$eval('#method', (e) => e.disabled), off, aim);
  }
  await chooseExample(page, 'depth-pipe.inp');
  assert.strictEqual(await page.$eval('#method', (e) => e.disabled), true, 'an opened depth case');
  await closePage(page);
});

test('the graph names the program and its version, from the build', async () => {
  const version = spawnSync(cli, ['--version'], { encoding: 'utf8' }).stdout.trim().replace(/^pelorin-cli /, '');
  assert.match(version, /^\d+\.\d+/);
  const page = await openPage(baseUrl + 'index.html');
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  await runCase(page);
  const texts = await page.$$eval('#graph svg text', (items) => items.map((t) => t.textContent));
  assert.ok(texts.includes('Pelorin ' + version), texts.join(' | '));
  await closePage(page);
});

test('titles an input file cannot store are refused as the desktop refuses them; file names show as they are', async () => {
  const page = await openPage(baseUrl + 'index.html');
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  await page.click('#title2', { clickCount: 3 });
  await page.keyboard.type('Łódź € 水 €');
  await page.click('#run');
  const message = ' The titles hold characters that an input file cannot store: Ł, ź, €, 水. Please replace them.';
  await page.waitForFunction((m) => document.getElementById('error-list').textContent === m, {}, message);
  assert.strictEqual(await focused(page), 'title2');
  assert.strictEqual(await page.$eval('#title2', (e) => e.getAttribute('aria-invalid')), 'true');
  assert.strictEqual(await page.$eval('#progress', (e) => e.textContent), '', 'nothing ran');

  // A name beyond ASCII: the report names it as the system gave it, as pelorin-cli's does.
  const name = 'dräin ø.inp';
  const bytes = fs.readFileSync(path.join(root, 'Data', 'spacing-darcy-pipe.inp'));
  fs.writeFileSync(path.join(workDir, name), bytes);
  await (await page.$('#open-file')).uploadFile(path.join(workDir, name));
  await page.waitForFunction((n) => document.getElementById('file-name').value === n, {}, name);
  await runCase(page);
  const native = runWithCli(name, bytes);
  assert.strictEqual(native.status, 0);
  const lines = native.report.toString('latin1').split('\n');
  for (const number of [14, 15]) lines[number - 1] = Buffer.from(lines[number - 1], 'latin1').toString('utf8');
  assert.strictEqual(await shownReport(page), lines.join('\n'));
  assert.ok((await shownReport(page)).includes(' Name of this output file: dräin ø.out'));
  await page.click('#download-report');
  assert.ok((await waitForDownload('dräin ø.out')).equals(native.report));
  await closePage(page);
});

test('served once, the page can be installed and opens and runs with the network cut', async () => {
  const page = await openPage(baseUrl + 'index.html');
  const session = await page.createCDPSession();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 30000 });
  const installability = await session.send('Page.getInstallabilityErrors');
  assert.deepStrictEqual(installability.installabilityErrors, []);
  await page.setOfflineMode(true);
  await page.reload();
  await page.waitForFunction(() => document.querySelectorAll('#examples option').length > 1);
  await chooseExample(page, 'discharge-energy-ditch.inp');
  await runCase(page);
  assert.strictEqual(await shownReport(page), golden('discharge-energy-ditch.out').toString('latin1'));
  await page.setOfflineMode(false);
  await closePage(page);
});

// ------------------------------------------------------------ units and presets

// The table of values typed in US units that every front end is held to.
function usUnitCases() {
  const lines = fs.readFileSync(path.join(root, 'tests', 'data', 'us-units.csv'), 'utf8')
    .split('\n').filter((l) => l.trim() && !l.startsWith('#'));
  const header = lines[0].split(',');
  return lines.slice(1).map((l) => Object.fromEntries(l.split(',').map((cell, i) => [header[i], cell])));
}
const exampleOfAim = { Spa: 'spacing-darcy-pipe.inp', Dis: 'discharge-darcy-pipe.inp',
  Hyd: 'depth-pipe.inp', Con: 'conductivity-darcy-pipe.inp' };

// Opens an example afresh, even the one the menu names already.
async function reopenExample(page, name) {
  await page.select('#examples', '');
  await chooseExample(page, name);
}

async function chooseUnits(page, units) {
  await page.select('#units', units);
  await page.waitForFunction((u) => localStorage.getItem('pelorin.units') === u, {}, units);
}

// Types into the field of a quantity and leaves it, as a user does.
async function typeQuantity(page, q, text) {
  const field = `#rows input[data-quantity="${q}"]`;
  await page.click(field, { clickCount: 3 });
  await page.keyboard.press('Backspace');
  await page.keyboard.type(text);
  await page.keyboard.press('Tab');
  return field;
}

// The case typed in one unit system: its saved input file and what its run shows.
async function saveAndRun(page, name) {
  await page.$eval('#file-name', (e, n) => { e.value = n; }, name);
  await page.click('#save-input');
  const saved = await waitForDownload(name);
  fs.unlinkSync(path.join(downloads, name));
  await runCase(page);
  return { saved, report: await shownReport(page), errors: await shownErrors(page) };
}

test('a value typed in US units is shown back as the file holds it, and the case saves and runs as typed in SI', async () => {
  const page = await openPage(baseUrl + 'index.html');
  const tables = require(path.join(webDir, 'tables.js'));
  const cases = usUnitCases();
  assert.ok(cases.length >= 10);
  for (const [n, c] of cases.entries()) {
    const where = `${c.aim} ${c.quantity} ${c.typed_us}`;
    await chooseUnits(page, 'us');
    await reopenExample(page, exampleOfAim[c.aim]);
    await page.select('#aim', c.aim);
    const field = await typeQuantity(page, c.quantity, c.typed_us);
    await page.waitForFunction((f, t) => document.querySelector(f).value === t, { timeout: 5000 }, field, c.shown_us)
      .catch(() => {});
    assert.strictEqual(await page.$eval(field, (e) => e.value), c.shown_us, where);
    const us = await saveAndRun(page, `us-${n}.inp`);
    // The input file holds the SI number of the table at the quantity's place.
    const numbers = us.saved.toString('latin1').split('\r\n')[4].trim().split(/\s+/);
    assert.strictEqual(numbers[tables.rows[c.aim].fileQuantities.indexOf(c.quantity)], c.stored_si, where);

    await chooseUnits(page, 'si');
    await reopenExample(page, exampleOfAim[c.aim]);
    await page.select('#aim', c.aim);
    await typeQuantity(page, c.quantity, c.stored_si);
    const si = await saveAndRun(page, `us-${n}.inp`);
    assert.ok(us.saved.equals(si.saved), where + ': the same input file');
    assert.strictEqual(us.report, si.report, where + ': the same report');
    assert.strictEqual(us.errors, si.errors, where + ': the same error list');
  }
  await closePage(page);
});

// The figures of a report's lines " ... is:   32.93": the midway heads and
// depths by name, and the sought quantity (the first other line), if any.
function reportFigures(report) {
  const figures = {};
  for (const line of report.split('\n')) {
    const m = / is:\s+(-?[0-9.]+)\s*$/.exec(line);
    if (!m) continue;
    const midway = /Midway (hydr\. head|W\.T\. depth) \((Darcy|energy)/.exec(line);
    if (midway) figures[(midway[1].startsWith('hydr') ? 'head ' : 'depth ') + midway[2]] = m[1];
    else if (!figures.sought) figures.sought = m[1];
  }
  return figures;
}
function reportProfile(report) {
  const lines = report.split('\n');
  const first = lines.findIndex((l) => l.startsWith(' Output data:')) + 1;
  const rows = [];
  for (let i = first; !lines[i].startsWith(' #'); ++i) rows.push(lines[i].trim().split(/\s+/));
  return rows;
}
const decimalsOf = (text) => (text.split('.')[1] || '').length;

// A figure shown in US units is the report's SI figure, each rounded to its decimals.
function assertSameFigure(usText, factor, siText, where) {
  const tolerance = 0.5 * 10 ** -decimalsOf(siText) + 0.5 * 10 ** -decimalsOf(usText) * factor + 1e-12;
  assert.ok(Math.abs(Number(usText) * factor - Number(siText)) <= tolerance, `${where}: ${usText} against ${siText}`);
}

test('in US units the captions name them, the choice is remembered, and results, profile and graph are in US units', async () => {
  const page = await openPage(baseUrl + 'index.html');
  await chooseUnits(page, 'us');
  await page.reload();
  await page.waitForFunction(() => document.querySelectorAll('#examples option').length > 1);
  assert.strictEqual(await page.$eval('#units', (e) => e.value), 'us', 'the choice is remembered');
  for (const [example, factor] of [['spacing-darcy-pipe.inp', 0.3048], ['discharge-energy-ditch.inp', 0.0254],
    ['conductivity-darcy-pipe.inp', 0.3048], ['depth-pipe.inp', 0.3048]]) {
    await chooseExample(page, example);
    const captions = await page.$$eval('#rows label', (items) => items.filter((e) => e.offsetParent !== null)
      .map((e) => e.textContent));
    assert.ok(captions.every((c) => !/\((m|m\/day|day\/m)\)/.test(c)), captions.join('|'));
    assert.ok(captions.some((c) => c.includes('(ft) :')), example);
    await runCase(page);
    const report = await shownReport(page);
    assert.strictEqual(report, golden(example.replace(/\.inp$/, '.out')).toString('latin1'), 'the report stays SI');
    const shown = await page.evaluate(() => ({
      visible: document.getElementById('results-us').offsetParent !== null,
      figures: [...document.querySelectorAll('#results-us-figures li')].map((e) => e.textContent),
      profile: [...document.querySelectorAll('#results-us-profile tbody tr')]
        .map((r) => [...r.cells].map((c) => c.textContent)),
      captions: [...document.querySelectorAll('#graph svg text')].map((t) => t.textContent),
    }));
    assert.ok(shown.visible, example);
    // The sought figure in its own unit, then the heads and depths in feet;
    // the depth of the water table is sought as one of the depths.
    const si = reportFigures(report);
    const us = shown.figures.map((f) => f.split(': ')[1]);
    assert.strictEqual(us.length, 5, shown.figures.join('|'));
    const sought = si.sought || (us[0] === us[3] ? si['depth Darcy'] : si['depth energy']);
    assertSameFigure(us[0], factor, sought, example + ' ' + shown.figures[0]);
    ['head Darcy', 'head energy', 'depth Darcy', 'depth energy'].forEach((name, i) =>
      assertSameFigure(us[i + 1], 0.3048, si[name], `${example} ${shown.figures[i + 1]}`));
    const rows = reportProfile(report);
    assert.strictEqual(shown.profile.length, rows.length, example);
    shown.profile.forEach((row, i) => {
      assertSameFigure(row[0], 0.3048, rows[i][0], `${example} row ${i + 1} X`);
      assertSameFigure(row[1], 0.3048, rows[i][1], `${example} row ${i + 1} F*`);
      assertSameFigure(row[2], 0.3048, rows[i][3], `${example} row ${i + 1} F`);
    });
    // The graph's scales are chosen on feet: its distance axis reaches the last distance in feet.
    assert.ok(shown.captions.some((t) => /^Distance from drain \((0\.1 |0\.01 )?ft\)$/.test(t)), shown.captions.join('|'));
    assert.ok(shown.captions.some((t) => /^Watertable height above drain \((0\.1 |0\.01 )?ft\)$/.test(t)), example);
    const graph = await page.evaluate(() => document.getElementById('graph').innerHTML);
    const ticks = [...graph.matchAll(/<text [^>]*>\s*([0-9.]+)<\/text>/g)].map((m) => Number(m[1]));
    const unit = /Distance from drain \((0\.1 |0\.01 )?ft\)/.exec(shown.captions.join('\n'))[1];
    const perFoot = unit === '0.1 ' ? 10 : unit === '0.01 ' ? 100 : 1;
    assert.ok(Math.max(...ticks) >= Number(shown.profile[shown.profile.length - 1][0]) * perFoot, example);
  }
  // Back in SI: the results in US units go, and the graph is in metres again.
  await chooseUnits(page, 'si');
  assert.strictEqual(await page.$eval('#results-us', (e) => e.offsetParent), null);
  const texts = await page.$$eval('#graph svg text', (items) => items.map((t) => t.textContent));
  assert.ok(texts.some((t) => /^Distance from drain \((m|dm|cm)\)$/.test(t)), texts.join('|'));
  await closePage(page);
});

test('a soil-texture preset fills the chosen conductivities with the cited typical values, marked until edited', async () => {
  const page = await openPage(baseUrl + 'index.html');
  const table = fs.readFileSync(path.join(root, 'assets', 'soil-texture-k.csv'), 'utf8').split('\n')
    .filter((l) => l.trim() && !l.startsWith('#')).slice(1).map((l) => l.split(','));
  const source = /Source: (.*)/.exec(fs.readFileSync(path.join(root, 'assets', 'soil-texture-k.csv'), 'utf8'))[1];
  assert.ok((await page.$eval('#texture-source', (e) => e.textContent)).includes(source.split('.')[0]));
  const textures = await page.$$eval('#texture option', (items) => items.map((e) => e.value));
  assert.deepStrictEqual(textures, table.map((row) => row[0]));
  await chooseExample(page, 'spacing-darcy-pipe.inp');
  const noteOf = (q) => page.$eval(`#rows input[data-quantity="${q}"]`, (e) => e.nextElementSibling.textContent);
  const valueOf = (q) => page.$eval(`#rows input[data-quantity="${q}"]`, (e) => e.value);
  for (const [units, column] of [['si', 2], ['us', 1]]) {
    await chooseUnits(page, units);
    for (const [name, ftPerDay, mPerDay] of [table[3], table[8]]) {
      await page.select('#texture', name);
      // Kb1 and Kv2 only.
      for (const q of ['Ka', 'Kb1', 'Kv1', 'Kb2', 'Kv2']) {
        const box = `#preset-${q}`;
        if ((await page.$eval(box, (e) => e.checked)) !== ['Kb1', 'Kv2'].includes(q)) await page.click(box);
      }
      const before = await valueOf('Ka');
      await page.click('#fill-texture');
      const typical = Number(column === 2 ? mPerDay : ftPerDay);
      await page.waitForFunction((t) => document.querySelector('#rows input[data-quantity="Kv2"]').value !== '' &&
        Math.abs(Number(document.querySelector('#rows input[data-quantity="Kv2"]').value) - t) < 0.01 * t, {}, typical);
      for (const q of ['Kb1', 'Kv2']) {
        assert.strictEqual(await noteOf(q), `typical for ${name}, not measured`, `${units} ${name} ${q}`);
        // The field shows what the input file holds: the typical value to the file's decimals.
        assert.ok(Math.abs(Number(await valueOf(q)) - typical) <= 0.0025 * Math.max(1, typical), `${q} ${await valueOf(q)}`);
      }
      assert.strictEqual(await valueOf('Ka'), before, 'an unchosen field stays');
      assert.strictEqual(await noteOf('Ka'), '');
    }
  }
  // An edit takes the mark away; the others stay.
  await typeQuantity(page, 'Kb1', '2');
  assert.strictEqual(await noteOf('Kb1'), '');
  assert.ok((await noteOf('Kv2')).startsWith('typical for'));
  // The filled case saves the SI numbers of the table.
  await chooseUnits(page, 'si');
  await page.$eval('#file-name', (e) => { e.value = 'preset.inp'; });
  await page.click('#save-input');
  const numbers = (await waitForDownload('preset.inp')).toString('latin1').split('\r\n')[4].trim().split(/\s+/);
  assert.strictEqual(Number(numbers[11]), Number(table[8][2]).toFixed(4) * 1, 'Kv2 of the second class');
  await closePage(page);
});
