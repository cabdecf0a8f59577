// The page in headless Chromium, as a user meets it: served by
// python3 -m http.server and opened from the folder (file://). An example is
// run and its report, shown and downloaded, is the golden one byte for byte;
// an opened input file gives pelorin-cli's report; a long run is cancelled; a
// refused case shows the error list pelorin-cli leaves; the page fits a
// phone's width with every field labelled.
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
const shownErrors = (page) => page.$eval('#error-list', (e) => e.textContent);
const golden = (name) => fs.readFileSync(path.join(root, 'Data', name));

function runWithCli(name, bytes) {
  const folder = fs.mkdtempSync(path.join(workDir, 'cli-'));
  fs.writeFileSync(path.join(folder, name), bytes);
  const run = spawnSync(cli, ['run', '--threads', '1', name], { cwd: folder });
  const read = (file) => (fs.existsSync(path.join(folder, file)) ? fs.readFileSync(path.join(folder, file)) : null);
  return { status: run.status, report: read(name.replace(/\.inp$/, '.out')), errorList: read('Error.lst') };
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
  // The examples menu by the keyboard: each arrow key opens the next example.
  const examples = fs.readdirSync(path.join(root, 'Data')).filter((f) => f.endsWith('.inp')).sort();
  await page.focus('#examples');
  for (const example of examples.slice(0, 2)) {
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
  }
  await closePage(page);
});
