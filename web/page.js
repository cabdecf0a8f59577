// The page: the Input sheet's rows for the chosen aim, the examples, opening
// and saving input files, the questions of the plausibility rules, a run on a
// worker with its progress lines and Cancel, the report with its Symbols
// legend and the run's warnings, its graph and the error list of a refused
// case; the unit system the user works in and the soil-texture presets.
'use strict';

(function () {
  const tables = self.PelorinTables;    // tables.js: the program's tables for the page
  const rowsTable = tables.rows;        // the Input sheet's row layouts per aim
  const bundle = self.PelorinBundle;    // bundle.js: the module, the worker and the examples
  const kRowCount = tables.rowCount;
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
  // Conversions between the units go to a module of their own, so that a
  // field is shown back at once even while a run marches on the other.
  const converter = new CaseWorker();

  // ------------------------------------------------------------ units

  // 'si' or 'us', remembered by the browser.
  const kUnitsKey = 'pelorin.units';
  let units = localStorage.getItem(kUnitsKey) === 'us' ? 'us' : 'si';

  // The numbers an input file of the aim holds for values typed in `from`
  // units ('' for a position that holds no quantity).
  function storedNumbers(aim, from, symbols, numbers) {
    return converter.request('stored', { aim, units: from, symbols, numbers });
  }
  // The texts that show numbers of an input file in `to` units.
  function shownTexts(aim, to, symbols, numbers) {
    return converter.request('shown', { aim, units: to, symbols, numbers });
  }

  // ------------------------------------------------------------ the rows

  // The texts of the 13 numbers are kept per quantity, so that a quantity
  // keeps its value when the aim changes and it moves to another row.
  const quantityTexts = {};
  for (const q of tables.quantities) quantityTexts[q.symbol] = '0';
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
      const note = document.createElement('span');
      note.id = 'note-' + (i + 1);
      note.className = 'typical-note';
      input.setAttribute('aria-describedby', note.id);
      row.append(label, input, note);
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
      label.textContent = (units === 'us' ? layout.captionsUs : layout.captions)[i];
      $('note-' + (i + 1)).textContent = q && typicalNotes[q] ? typicalNotes[q] : '';
      label.classList.toggle('hidden', !layout.captionVisible[i]);
      input.classList.toggle('hidden', !q);
      input.value = q ? quantityTexts[q] : '';
      if (q) input.dataset.quantity = q;
      else delete input.dataset.quantity;
      row.classList.toggle('hidden', !layout.captionVisible[i] && !q);
      row.classList.toggle('caption-only', layout.captionVisible[i] && !q);
    }
    $('footnote').textContent = tables.footnoteCaption;
    $('footnote').classList.toggle('hidden', !layout.footnoteVisible);
    shownAim = aim;
    showPresetChoices();
  }

  // A field text as a number: either '.' or ',' for the decimal point, blanks
  // around it allowed; null when it is no number.
  const numberText = new RegExp('^(?:' + tables.numberPattern + ')$');
  function fieldNumber(text) {
    const trimmed = text.trim().replace(',', '.');
    if (!numberText.test(trimmed)) return null;
    return Number(trimmed);
  }

  // Whether the input file can hold a number with these decimals: a finite
  // number whose text is not longer than the file's reader takes.
  function fileHolds(value, decimals) {
    if (!Number.isFinite(value)) return false;
    const text = value.toLocaleString('en-US', {
      useGrouping: false, minimumFractionDigits: decimals, maximumFractionDigits: decimals,
    });
    return text.length <= tables.maxNumberLength;
  }

  // A number as a field shows it: up to 15 significant digits, no trailing zeros.
  function fieldText(value) {
    if (value === 0) return '0';
    const text = value.toPrecision(15);
    if (text.includes('e')) return String(Number(text));
    return text.includes('.') ? text.replace(/0+$/, '').replace(/\.$/, '') : text;
  }

  // ------------------------------------------------------------ the case

  // The file last opened (its bytes, aim and numbers), run as it is while
  // nothing has been changed; any edit makes a run write the file from the
  // fields.
  let opened = null;

  function fileName() {
    const name = $('file-name').value.trim().split(/[\\/]/).pop();
    return name || 'case.inp';
  }

  // The row (1-based) where the field of a quantity stands under an aim.
  function rowOf(aim, q) {
    for (let i = 0; i < kRowCount; ++i) if (rowQuantity(aim, i) === q) return i + 1;
    return 0;
  }

  function unitOf(q) {
    const entry = tables.quantities.find((e) => e.symbol === q);
    return units === 'us' ? entry.unitUs : entry.unit;
  }

  // Marks the fields whose texts the case cannot use, with their messages,
  // and brings the first of them into focus.
  function markFields(aim, wrong) {
    for (let i = 1; i <= kRowCount; ++i) {
      $('value-' + i).removeAttribute('aria-invalid');
      $('value-' + i).removeAttribute('aria-errormessage');
    }
    for (const { q } of wrong) {
      const input = $('value-' + rowOf(aim, q));
      input.setAttribute('aria-invalid', 'true');
      input.setAttribute('aria-errormessage', 'error-list');
    }
    if (wrong.length) $('value-' + rowOf(aim, wrong[0].q)).focus();
  }

  // The case of the fields, and what is wrong with the texts of its fields:
  // a text that is no number, or a number the input file cannot hold. Each
  // message names the row and the quantity.
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
      const text = quantityTexts[q];
      const number = fieldNumber(text);
      const where = `Row ${rowOf(aim, q)}, ${q} (${unitOf(q)}): `;
      if (number === null) {
        const shown = text.trim() === '' ? 'an empty field' : text.trim();
        wrong.push({ q, message: where + shown + ' is not a valid real number' });
      } else if (!fileHolds(number, layout.fileDecimals[k])) {
        wrong.push({ q, message: where + text.trim() + ' is too large for the input file' });
      }
      values.push(number === null ? 0 : number);
    }
    return {
      wrong,
      request: {
        name: fileName(), title1: $('title1').value.normalize('NFC'), title2: $('title2').value.normalize('NFC'),
        aim, method: $('method').value, values,
      },
    };
  }

  // ------------------------------------------------------------ questions

  // The plausibility rules of the desktop's Save/Run that change no number,
  // as questions about the case; the run goes on, and only the input check
  // of the engine refuses a case.
  function ruleHolds(rule, aim, values) {
    const layout = rowsTable[aim];
    const number = (q) => values[layout.fileQuantities.indexOf(q)];
    const right = rule.right === null ? rule.factor : rule.factor * number(rule.right);
    const compare = (left) => (rule.compare === '>' ? left > right
      : rule.compare === '>=' ? left >= right : left === right);
    return rule.everyNumber ? values.every(compare) : compare(number(rule.left));
  }

  function failedQuestions(aim, values) {
    return tables.rules
      .filter((rule) => rule.zeroed.length === 0 && rule.aims.includes(aim))
      .filter((rule) => !ruleHolds(rule, aim, values))
      .map((rule) => rule.text);
  }

  // The texts as the items of the list `listId`, in the box `boxId`, which
  // is hidden when there are none.
  function showListBox(listId, boxId, texts) {
    const list = $(listId);
    list.textContent = '';
    for (const text of texts) {
      const item = document.createElement('li');
      item.textContent = text;
      list.append(item);
    }
    $(boxId).classList.toggle('hidden', texts.length === 0);
  }

  function showQuestions(texts) {
    showListBox('questions', 'questions-box', texts);
  }

  // The case as an opened file holds it, shown in the fields; `bytes` are
  // run as they are until a field changes.
  function showCase(name, input, bytes, texts) {
    $('file-name').value = name;
    $('title1').value = input.title1;
    $('title2').value = input.title2;
    $('aim').value = input.aim;
    // Any method code but Darcy's runs the energy balance, as the reader takes it.
    const [energy, darcy] = tables.methodCodes;
    $('method').value = input.method === darcy ? darcy : energy;
    const layout = rowsTable[input.aim];
    spareValues = new Array(kRowCount).fill(0);
    input.values.forEach((value, k) => {
      const q = layout.fileQuantities[k];
      if (q) quantityTexts[q] = units === 'us' ? texts[k] : fieldText(value);
      else spareValues[k] = value;
      if (q) delete typicalNotes[q];
    });
    showRows(input.aim);
    showMethodChoice();
    markFields(input.aim, []);
    showQuestions([]);
    opened = { bytes, aim: input.aim, values: input.values };
  }

  // Opens an input file: a run under way ends first, so that the fields, the
  // examples menu and the next run all describe the case opened. False when
  // the file cannot be used; the case shown stays then.
  async function openInput(name, bytes) {
    if (running) worker.restart('cancelled');
    let input;
    try {
      input = await worker.request('read', { name, bytes });
    } catch (error) {
      return false;  // ended by a newer request
    }
    if (!input.ok) {
      showErrors(input.messages, 'The file ' + name + ' could not be opened:');
      return false;
    }
    const symbols = rowsTable[input.aim].fileQuantities.map((q) => q || '');
    const texts = units === 'us' ? await shownTexts(input.aim, 'us', symbols, input.values) : null;
    showCase(name, input, bytes, texts);
    showErrors([], '');
    return true;
  }

  // The bytes of the input file of the case, or null (with the reasons shown)
  // when the fields hold texts the file cannot take. The questions of the
  // plausibility rules are shown on the way.
  // The characters of the titles that an input file (single-byte text)
  // cannot store, each once, as the desktop lists them.
  function foreignTitleCharacters() {
    const seen = [];
    for (const id of ['title1', 'title2']) {
      for (const c of $(id).value.normalize('NFC')) {
        if (c.codePointAt(0) > 0xff && !seen.includes(c)) seen.push(c);
      }
    }
    return seen;
  }

  function markTitles(foreign) {
    for (const id of ['title1', 'title2']) {
      const bad = [...$(id).value.normalize('NFC')].some((c) => foreign.includes(c));
      if (bad) $(id).setAttribute('aria-invalid', 'true');
      else $(id).removeAttribute('aria-invalid');
    }
    const first = ['title1', 'title2'].find((id) => $(id).hasAttribute('aria-invalid'));
    if (first) $(first).focus();
  }

  async function inputBytes() {
    const foreign = foreignTitleCharacters();
    markTitles(foreign);
    if (foreign.length) {
      showQuestions([]);
      showErrors([tables.foreignTitles[0] + foreign.join(', ') + tables.foreignTitles[1]], '');
      return null;
    }
    if (opened) {
      showQuestions(failedQuestions(opened.aim, opened.values));
      return opened.bytes;
    }
    const { wrong, request } = caseOfFields();
    markFields(request.aim, wrong);
    if (wrong.length) {
      showQuestions([]);
      showErrors(wrong.map((w) => w.message), 'The case has fields the input file cannot take:');
      return null;
    }
    if (units === 'us') {
      const symbols = rowsTable[request.aim].fileQuantities.map((q) => q || '');
      request.values = await storedNumbers(request.aim, 'us', symbols, request.values);
    }
    showQuestions(failedQuestions(request.aim, request.values));
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
  let lastGraph = null;   // {si, us}: the graph in either units
  let lastResults = null; // the figures and profile in US units

  // The figures of the last report in US units, beside the report (which
  // stays in metres and days); nothing in SI, where the report says it all.
  function showResultsInUnits() {
    const box = $('results-us');
    box.classList.toggle('hidden', units !== 'us' || !lastResults);
    if (units !== 'us' || !lastResults) return;
    const list = $('results-us-figures');
    list.textContent = '';
    for (const figure of lastResults.figures) {
      const item = document.createElement('li');
      item.textContent = `${figure.name} (${figure.unit}): ${figure.text}`;
      list.append(item);
    }
    const body = $('results-us-profile').querySelector('tbody');
    body.textContent = '';
    for (const row of lastResults.profile) {
      const line = document.createElement('tr');
      for (const text of row) {
        const cell = document.createElement('td');
        cell.textContent = text;
        line.append(cell);
      }
      body.append(line);
    }
  }

  // A report is single-byte text, but for the lines that name the input file
  // and the report: those hold the names as the system gave them, UTF-8, and
  // are shown so when they are.
  function reportText(bytes) {
    const lines = latin1Text(bytes).split('\n');
    const utf8 = new TextDecoder('utf-8', { fatal: true });
    const [first, last] = tables.fileNameLines;
    for (let number = first; number <= last; ++number) {
      if (number > lines.length) continue;
      try {
        lines[number - 1] = utf8.decode(latin1Bytes(lines[number - 1]));
      } catch (error) {
        // not UTF-8: the line stays as single-byte text
      }
    }
    return lines.join('\n');
  }

  // The warnings of the run that made the report shown, in a box of their
  // own above it; no box when the run gave none.
  function showWarnings(texts) {
    showListBox('warnings-list', 'warnings', texts);
  }

  function showReport(name, bytes) {
    lastReport = { name, bytes };
    $('report').textContent = reportText(bytes);
    $('download-report').disabled = false;
    $('symbols-button').disabled = false;
  }

  function shownGraph() {
    return lastGraph && lastGraph[units];
  }

  function drawGraph() {
    const box = $('graph');
    const graph = shownGraph();
    if (!graph) return;
    if (graph.refusal) {
      box.textContent = graph.refusal;
      $('download-graph').disabled = true;
      return;
    }
    box.innerHTML = self.PelorinGraph.graphSvg(graph, { blackAndWhite: $('black-and-white').checked });
    $('download-graph').disabled = false;
  }

  function addMessage(text) {
    const item = document.createElement('li');
    item.textContent = text;
    $('messages').append(item);
  }

  // The Symbols legend of the report's table, shown and hidden as on the
  // desktop's Output sheet.
  function toggleSymbols() {
    const shown = $('symbols').classList.toggle('hidden') === false;
    $('symbols-button').textContent = shown ? 'Close symbols' : 'Symbols';
    $('symbols-button').setAttribute('aria-expanded', String(shown));
  }

  // During a run, Cancel has the focus and Save/Run waits; afterwards the
  // focus goes where the run's outcome is shown.
  let running = false;
  function setRunning(on) {
    running = on;
    $('run').disabled = on;
    $('cancel').disabled = !on;
    $('output').setAttribute('aria-busy', String(on));
    if (on) $('cancel').focus();
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
      // Cancel, now disabled, loses the focus: Save/Run takes it. A run ended
      // by opening a case leaves the focus where the user opened it.
      if ([$('cancel'), document.body].includes(document.activeElement)) $('run').focus();
      return;
    }
    setRunning(false);
    if (result.outcome === 'report') {
      showErrors([], '');
      showReport(result.reportFile, result.report);
      showWarnings(result.messages);
      lastGraph = { si: result.graph, us: result.graphUs };
      lastResults = result.resultsUs;
      drawGraph();
      showResultsInUnits();
      $('progress').textContent += 'The report ' + result.reportFile + ' is ready.\n';
      $('report').focus();
    } else if (result.outcome === 'refused') {
      showErrors(result.errorList, '');
      $('progress').textContent += 'The case was refused by its input check; see the error list.\n';
      $('error-list').focus();
    } else {
      showErrors(result.messages, 'The run ended with an error:');
      $('progress').textContent += 'The run ended with an error.\n';
      $('error-list').focus();
    }
  }

  // ------------------------------------------------------------ wiring

  function fillChoices(select, codes, texts) {
    codes.forEach((code, i) => {
      const option = document.createElement('option');
      option.value = code;
      option.textContent = texts[i];
      select.append(option);
    });
  }

  // The depth of the water table has one engine for both methods.
  function showMethodChoice() {
    $('method').disabled = !tables.methodMatters[$('aim').value];
  }

  function exampleBytes(name) {
    const example = bundle.examples.find((e) => e.name === name);
    return example ? latin1Bytes(example.text) : null;
  }

  function wire() {
    fillChoices($('aim'), Object.keys(rowsTable), tables.aimChoices);
    fillChoices($('method'), tables.methodCodes, tables.methodChoices);
    $('warnings-heading').textContent = tables.runWarnings.heading;
    $('warnings-note').textContent = tables.runWarnings.note;
    $('symbols').textContent = tables.symbolsLegend.join('\n');
    buildRows();
    showRows('Spa');
    for (const example of bundle.examples) {
      const option = document.createElement('option');
      option.value = example.name;
      option.textContent = example.name;
      $('examples').append(option);
    }
    // The menu names the example shown: a file that cannot be opened, or an
    // open overtaken by another, puts it back to the case the fields show.
    let shownExample = '';
    $('examples').addEventListener('change', async () => {
      const name = $('examples').value;
      const bytes = exampleBytes(name);
      if (!bytes) return;
      // With the keyboard, each arrow key opens the next example from here.
      if (await openInput(name, bytes)) shownExample = name;
      else if ($('examples').value === name) $('examples').value = shownExample;
    });
    $('open-input').addEventListener('click', () => $('open-file').click());
    $('open-file').addEventListener('change', async () => {
      const file = $('open-file').files[0];
      if (file && (await openInput(file.name, new Uint8Array(await file.arrayBuffer())))) {
        shownExample = '';
        $('examples').value = '';
      }
      $('open-file').value = '';
    });
    $('aim').addEventListener('change', () => {
      keepRowTexts();
      showRows($('aim').value);
      showMethodChoice();
    });
    $('case').addEventListener('input', (event) => {
      opened = null;
      // A field the user edits is no longer the typical value of a texture.
      const q = event.target.dataset && event.target.dataset.quantity;
      if (q && typicalNotes[q]) {
        delete typicalNotes[q];
        event.target.nextElementSibling.textContent = '';
      }
    });
    // In US units a field shows back what the input file will hold.
    $('rows').addEventListener('change', (event) => {
      const q = event.target.dataset.quantity;
      if (q && units === 'us') showBack([q]);
    });
    $('units').value = units;
    // The numbers stay the same in other units: an opened file runs as it is.
    $('units').addEventListener('change', (event) => {
      event.stopPropagation();
      changeUnits($('units').value);
    });
    wirePresets();
    $('case').addEventListener('change', () => { opened = null; });
    $('case').addEventListener('submit', (event) => {
      event.preventDefault();
      if (!running) run();
    });
    $('cancel').addEventListener('click', () => worker.restart('cancelled'));
    $('save-input').addEventListener('click', async () => {
      const bytes = await inputBytes();
      if (bytes) download(fileName(), bytes, 'application/octet-stream');
    });
    $('download-report').addEventListener('click', () => {
      if (lastReport) download(lastReport.name, lastReport.bytes, 'application/octet-stream');
    });
    $('symbols-button').addEventListener('click', toggleSymbols);
    $('black-and-white').addEventListener('change', drawGraph);
    $('download-graph').addEventListener('click', () => {
      const graph = shownGraph();
      if (!graph || graph.refusal || !lastReport) return;
      const svg = self.PelorinGraph.graphSvg(graph, { blackAndWhite: $('black-and-white').checked });
      download(lastReport.name.replace(/\.[^.]*$/, '') + '.svg', new TextEncoder().encode(svg), 'image/svg+xml');
    });
    // The page opens on the first example of the menu, not yet run.
    const first = bundle.examples[0];
    $('examples').value = first.name;
    shownExample = first.name;
    openInput(first.name, latin1Bytes(first.text));
  }

  // Served from a web server, the page can be installed and works offline
  // after its first visit; a saved copy (file://) has neither and needs neither.
  function offerOffline() {
    if (!/^https?:$/.test(location.protocol)) return;
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.append(manifest);
    if ('serviceWorker' in navigator) navigator.serviceWorker.register('service-worker.js').catch(() => {});
  }

  // ------------------------------------------------------------ units and presets

  // The fields of these quantities show what the input file holds for their
  // texts, in the chosen units. A text that is no number stays as it is; a
  // field edited meanwhile keeps the edit.
  async function showBack(symbols) {
    const aim = shownAim;
    const typed = symbols.map((q) => quantityTexts[q] = fieldTextOf(q));
    const numbers = typed.map(fieldNumber);
    const usable = symbols.filter((q, i) => numbers[i] !== null);
    if (!usable.length) return;
    const stored = await storedNumbers(aim, units, usable, numbers.filter((n) => n !== null));
    const texts = await shownTexts(aim, units, usable, stored);
    usable.forEach((q, i) => {
      if (fieldTextOf(q) !== typed[symbols.indexOf(q)] || shownAim !== aim) return;
      quantityTexts[q] = texts[i];
      const row = rowOf(aim, q);
      if (row) $('value-' + row).value = texts[i];
    });
  }

  // The text of a quantity: its field's when its row is shown, else the memory.
  function fieldTextOf(q) {
    const row = rowOf(shownAim, q);
    return row ? $('value-' + row).value : quantityTexts[q];
  }

  // Every number of the case goes over to the other units: what the input
  // file would hold for it, shown in the new units. The texts that are no
  // number stay.
  async function changeUnits(to) {
    keepRowTexts();
    const from = units;
    const symbols = tables.quantities.map((e) => e.symbol)
      .filter((q) => fieldNumber(quantityTexts[q]) !== null);
    const stored = await storedNumbers(shownAim, from, symbols, symbols.map((q) => fieldNumber(quantityTexts[q])));
    const texts = await shownTexts(shownAim, to, symbols, stored);
    symbols.forEach((q, i) => { quantityTexts[q] = texts[i]; });
    units = to;
    localStorage.setItem(kUnitsKey, to);
    showRows(shownAim);
    drawGraph();
    showResultsInUnits();
  }

  // The notes beside fields filled from the texture table, per quantity.
  const typicalNotes = {};

  // The conductivities the preset can fill, offered where the aim has them.
  function showPresetChoices() {
    for (const q of tables.presetQuantities) {
      const box = $('preset-' + q);
      if (!box) return;  // the presets are not built yet
      const shown = rowOf(shownAim, q) !== 0;
      box.disabled = !shown;
      box.parentElement.classList.toggle('hidden', !shown);
    }
  }

  // Fills the chosen conductivity fields with the typical value of the
  // texture class in the chosen units, marks them, and shows them back.
  function fillFromTexture() {
    const texture = tables.textures.find((t) => t.name === $('texture').value);
    if (!texture) return;
    const filled = tables.presetQuantities.filter((q) => $('preset-' + q).checked && rowOf(shownAim, q));
    for (const q of filled) {
      const row = rowOf(shownAim, q);
      $('value-' + row).value = fieldText(units === 'us' ? texture.us : texture.si);
      $('value-' + row).removeAttribute('aria-invalid');
      typicalNotes[q] = texture.note;
      $('note-' + row).textContent = texture.note;
    }
    if (filled.length) {
      opened = null;
      showBack(filled);
    }
  }

  function wirePresets() {
    fillChoices($('texture'), tables.textures.map((t) => t.name), tables.textures.map((t) => t.name));
    const choices = $('preset-fields');
    for (const q of tables.presetQuantities) {
      const label = document.createElement('label');
      const box = document.createElement('input');
      box.type = 'checkbox';
      box.id = 'preset-' + q;
      box.checked = true;
      label.append(box, ' ' + q);
      choices.append(label);
    }
    $('texture-source').textContent = 'Typical values by texture class, averages from ' + tables.textureSource +
      ' A measured conductivity is always better.';
    // Choosing a preset changes no number of the case until Fill.
    for (const type of ['input', 'change']) $('presets').addEventListener(type, (event) => event.stopPropagation());
    $('fill-texture').addEventListener('click', fillFromTexture);
    showPresetChoices();
  }

  wire();
  offerOffline();
})();
