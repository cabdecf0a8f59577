// The page: the Input sheet's rows for the chosen aim, the examples, opening
// and saving input files, a run on a worker with its progress lines and
// Cancel, the report, its graph and the error list of a refused case.
'use strict';

(function () {
  const rowsTable = self.PelorinRows;   // rows.js: the Input sheet's row layouts
  const bundle = self.PelorinBundle;    // bundle.js: the module, the worker and the examples
  const kRowCount = 13;
  const $ = (id) => document.getElementById(id);

  // ------------------------------------------------------------ bytes and text

  // Input files and reports are single-byte text: byte n is character n.
  function latin1Text(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    return text;
  }
  function latin1Bytes(text) {
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
    return bytes;
  }
  function base64Bytes(base64) {
    return latin1Bytes(atob(base64));
  }

  function download(name, bytes, type) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  // ------------------------------------------------------------ the worker

  // The module runs on a worker made from the bundled scripts, so that the
  // page needs no fetch and works from a saved copy (file://) as from a server.
  const wasmBytes = base64Bytes(bundle.wasmBase64);
  const workerUrl = URL.createObjectURL(new Blob([bundle.workerSource], { type: 'text/javascript' }));

  class CaseWorker {
    constructor() { this.start(); }
    start() {
      this.worker = new Worker(workerUrl);
      this.worker.postMessage({ type: 'init', wasm: wasmBytes.slice() });
      this.pending = new Map();
      this.nextId = 1;
      this.worker.onmessage = (event) => {
        const message = event.data;
        const entry = this.pending.get(message.id);
        if (!entry) return;
        if (message.type === 'done') {
          this.pending.delete(message.id);
          if (message.result.crashed) this.restart('the worker stopped');
          entry.resolve(message.result);
        } else {
          entry.onEvent(message);
        }
      };
    }
    request(type, payload, onEvent) {
      const id = this.nextId++;
      return new Promise((resolve, reject) => {
        this.pending.set(id, { resolve, reject, onEvent: onEvent || (() => {}) });
        this.worker.postMessage(Object.assign({ id, type }, payload));
      });
    }
    // Ends the worker, and with it a run, and starts a new one.
    restart(reason) {
      this.worker.terminate();
      for (const entry of this.pending.values()) entry.reject(new Error(reason));
      this.start();
    }
  }
  const worker = new CaseWorker();

  // ------------------------------------------------------------ the rows

  // The texts of the 13 numbers are kept per quantity, so that a quantity
  // keeps its value when the aim changes and it moves to another row.
  const quantityTexts = {};
  for (const q of rowsTable.quantities) quantityTexts[q] = '0';
  // Numbers of an opened file at positions its aim does not use.
  let spareValues = new Array(kRowCount).fill(0);
  let shownAim = 'Spa';

  // The quantity shown in row i (0-based) under an aim, or null.
  function rowQuantity(aim, i) {
    const layout = rowsTable[aim];
    if (!layout.fieldVisible[i]) return null;
    if (aim === 'Con') return layout.fileQuantities[i - 2] || null;
    return layout.fileQuantities[i];
  }

  function buildRows() {
    const container = $('rows');
    for (let i = 0; i < kRowCount; ++i) {
      const row = document.createElement('div');
      row.className = 'field';
      row.id = 'row-' + (i + 1);
      const label = document.createElement('label');
      label.htmlFor = 'value-' + (i + 1);
      label.id = 'caption-' + (i + 1);
      const input = document.createElement('input');
      input.id = 'value-' + (i + 1);
      input.className = 'row-input';
      input.inputMode = 'decimal';
      input.spellcheck = false;
      row.append(label, input);
      container.append(row);
    }
  }

  function keepRowTexts() {
    for (let i = 0; i < kRowCount; ++i) {
      const q = rowQuantity(shownAim, i);
      if (q) quantityTexts[q] = $('value-' + (i + 1)).value;
    }
  }

  function showRows(aim) {
    const layout = rowsTable[aim];
    for (let i = 0; i < kRowCount; ++i) {
      const row = $('row-' + (i + 1));
      const label = $('caption-' + (i + 1));
      const input = $('value-' + (i + 1));
      const q = rowQuantity(aim, i);
      label.textContent = layout.captions[i];
      label.classList.toggle('hidden', !layout.captionVisible[i]);
      input.classList.toggle('hidden', !q);
      input.value = q ? quantityTexts[q] : '';
      if (q) input.dataset.quantity = q;
      else delete input.dataset.quantity;
      row.classList.toggle('hidden', !layout.captionVisible[i] && !q);
      row.classList.toggle('caption-only', layout.captionVisible[i] && !q);
    }
    $('footnote').textContent = rowsTable.footnoteCaption;
    $('footnote').classList.toggle('hidden', !layout.footnoteVisible);
    shownAim = aim;
  }

  // A field text as a number: either '.' or ',' for the decimal point, blanks
  // around it allowed; null when it is no number.
  function fieldNumber(text) {
    const trimmed = text.trim().replace(',', '.');
    if (!/^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(trimmed)) return null;
    return Number(trimmed);
  }

  // A number as a field shows it: up to 15 significant digits, no trailing zeros.
  function fieldText(value) {
    if (value === 0) return '0';
    const text = value.toPrecision(15);
    if (text.includes('e')) return String(Number(text));
    return text.includes('.') ? text.replace(/0+$/, '').replace(/\.$/, '') : text;
  }

  // ------------------------------------------------------------ the case

  // The bytes of the file last opened, run as they are while nothing has
  // been changed; any edit makes a run write the file from the fields.
  let openedBytes = null;

  function fileName() {
    const name = $('file-name').value.trim().split(/[\\/]/).pop();
    return name || 'case.inp';
  }

  // The case of the fields, or the texts that are no numbers.
  function caseOfFields() {
    keepRowTexts();
    const aim = $('aim').value;
    const layout = rowsTable[aim];
    const values = [];
    const wrong = [];
    for (let k = 0; k < kRowCount; ++k) {
      const q = layout.fileQuantities[k];
      if (!q) {
        values.push(spareValues[k]);
        continue;
      }
      const number = fieldNumber(quantityTexts[q]);
      if (number === null) wrong.push(quantityTexts[q] + ' is not a valid real number');
      values.push(number === null ? 0 : number);
    }
    return {
      wrong,
      request: {
        name: fileName(), title1: $('title1').value, title2: $('title2').value,
        aim, method: $('method').value, values,
      },
    };
  }

  function showCase(name, input, bytes) {
    $('file-name').value = name;
    $('title1').value = input.title1;
    $('title2').value = input.title2;
    $('aim').value = input.aim;
    $('method').value = input.method === 'Dar' ? 'Dar' : 'Ene';
    const layout = rowsTable[input.aim];
    spareValues = new Array(kRowCount).fill(0);
    input.values.forEach((value, k) => {
      const q = layout.fileQuantities[k];
      if (q) quantityTexts[q] = fieldText(value);
      else spareValues[k] = value;
    });
    showRows(input.aim);
    openedBytes = bytes;
  }

  async function openInput(name, bytes) {
    const input = await worker.request('read', { name, bytes });
    if (!input.ok) {
      showErrors(input.messages, 'The file ' + name + ' could not be opened:');
      return false;
    }
    showCase(name, input, bytes);
    showErrors([], '');
    return true;
  }

  async function inputBytes() {
    if (openedBytes) return openedBytes;
    const { wrong, request } = caseOfFields();
    if (wrong.length) {
      showErrors(wrong, 'The case has fields that are no numbers:');
      return null;
    }
    const written = await worker.request('write', request);
    if (written.error) {
      showErrors([written.error], 'The input file could not be written:');
      return null;
    }
    return written.bytes;
  }

  // ------------------------------------------------------------ results

  function showErrors(lines, heading) {
    const list = $('error-list');
    list.textContent = lines.length ? (heading ? heading + '\n' : '') + lines.join('\n') : 'No errors.';
    list.classList.toggle('empty', lines.length === 0);
  }

  let lastReport = null;  // {name, bytes}
  let lastGraph = null;

  function showReport(name, bytes) {
    lastReport = { name, bytes };
    $('report').textContent = latin1Text(bytes);
    $('download-report').disabled = false;
  }

  function drawGraph() {
    const box = $('graph');
    if (!lastGraph) return;
    if (lastGraph.refusal) {
      box.textContent = lastGraph.refusal;
      $('download-graph').disabled = true;
      return;
    }
    box.innerHTML = self.PelorinGraph.graphSvg(lastGraph, { blackAndWhite: $('black-and-white').checked });
    $('download-graph').disabled = false;
  }

  function addMessage(text) {
    const item = document.createElement('li');
    item.textContent = text;
    $('messages').append(item);
  }

  function setRunning(running) {
    $('run').disabled = running;
    $('cancel').disabled = !running;
    $('output').setAttribute('aria-busy', String(running));
  }

  async function run() {
    $('progress').textContent = '';
    $('messages').textContent = '';
    const bytes = await inputBytes();
    if (!bytes) return;
    const name = fileName();
    setRunning(true);
    let result;
    try {
      result = await worker.request('run', { name, bytes }, (event) => {
        if (event.type === 'progress') $('progress').textContent += event.line + '\n';
        if (event.type === 'message') addMessage(event.text);
      });
    } catch (error) {
      $('progress').textContent += 'The run was cancelled\n';
      setRunning(false);
      return;
    }
    setRunning(false);
    if (result.outcome === 'report') {
      showErrors([], '');
      showReport(result.reportFile, result.report);
      lastGraph = result.graph;
      drawGraph();
      $('progress').textContent += 'The report ' + result.reportFile + ' is ready.\n';
    } else if (result.outcome === 'refused') {
      showErrors(result.errorList, '');
      $('progress').textContent += 'The case was refused by its input check; see the error list.\n';
    } else {
      showErrors(result.messages, 'The run ended with an error:');
      $('progress').textContent += 'The run ended with an error.\n';
    }
  }

  // ------------------------------------------------------------ wiring

  function wire() {
    buildRows();
    showRows('Spa');
    for (const example of bundle.examples) {
      const option = document.createElement('option');
      option.value = example.name;
      option.textContent = example.name;
      $('examples').append(option);
    }
    $('examples').addEventListener('change', async () => {
      const example = bundle.examples.find((e) => e.name === $('examples').value);
      // The menu keeps showing the example: with the keyboard, each arrow
      // key opens the next one from there.
      if (example) await openInput(example.name, latin1Bytes(example.text));
    });
    $('open-input').addEventListener('click', () => $('open-file').click());
    $('open-file').addEventListener('change', async () => {
      const file = $('open-file').files[0];
      if (file && (await openInput(file.name, new Uint8Array(await file.arrayBuffer())))) $('examples').value = '';
      $('open-file').value = '';
    });
    $('aim').addEventListener('change', () => {
      keepRowTexts();
      showRows($('aim').value);
    });
    $('case').addEventListener('input', () => { openedBytes = null; });
    $('case').addEventListener('change', () => { openedBytes = null; });
    $('case').addEventListener('submit', (event) => {
      event.preventDefault();
      run();
    });
    $('cancel').addEventListener('click', () => worker.restart('cancelled'));
    $('save-input').addEventListener('click', async () => {
      const bytes = await inputBytes();
      if (bytes) download(fileName(), bytes, 'application/octet-stream');
    });
    $('download-report').addEventListener('click', () => {
      if (lastReport) download(lastReport.name, lastReport.bytes, 'application/octet-stream');
    });
    $('black-and-white').addEventListener('change', drawGraph);
    $('download-graph').addEventListener('click', () => {
      if (!lastGraph || lastGraph.refusal || !lastReport) return;
      const svg = self.PelorinGraph.graphSvg(lastGraph, { blackAndWhite: $('black-and-white').checked });
      download(lastReport.name.replace(/\.[^.]*$/, '') + '.svg', new TextEncoder().encode(svg), 'image/svg+xml');
    });
  }

  wire();
})();
