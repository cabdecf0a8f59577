// The water tables of a report as SVG, laid out as the desktop graph: a
// 623 x 465 canvas, the titles, the plot panel with its axes, ticks and
// labels, the "x" markers of the Darcy table, the "o" markers of the energy
// balance and the dotted requested line. Every position comes from the graph
// scales of the WebAssembly module (graphOfReport).
'use strict';

(function (exports) {
  const kCanvasWidth = 623;
  const kCanvasHeight = 465;
  const kPlotLeft = 70;
  const kPlotBottom = 390;
  const kPlotRight = 570;
  const kPlotTop = 70;

  // The inks of the desktop graph, in colour and in black and white.
  const kPalettes = {
    colour: {
      canvas: '#c0c0c0', canvasText: '#000000', panel: '#00008b', axis: '#ffffff',
      secondTitle: '#ffff00', label: '#ffffff', darcy: '#00ffff', energy: '#ffffff',
      requested: '#ffff00',
    },
    blackAndWhite: {
      canvas: '#c0c0c0', canvasText: '#000000', panel: '#ffffff', axis: '#000000',
      secondTitle: '#000000', label: '#000000', darcy: '#000000', energy: '#000000',
      requested: '#000000',
    },
  };

  function escapeXml(text) {
    return String(text).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
  }

  // A text whose box has its top-left corner at (left, top), as the desktop
  // places it; `anchor` 'end' puts the right edge there instead.
  function text(left, top, content, ink, size, anchor) {
    const px = size || 11;
    const baseline = top + Math.round(px * 0.905);
    const end = anchor === 'end' ? ' text-anchor="end"' : '';
    return `<text x="${left}" y="${baseline}" fill="${ink}" font-size="${px}"${end} xml:space="preserve">${escapeXml(content)}</text>`;
  }

  function line(x1, y1, x2, y2, ink, dotted) {
    const dash = dotted ? ' stroke-dasharray="1 1"' : '';
    return `<line x1="${x1 + 0.5}" y1="${y1 + 0.5}" x2="${x2 + 0.5}" y2="${y2 + 0.5}" stroke="${ink}" stroke-width="1"${dash}/>`;
  }

  // The SVG document of a graph; options.blackAndWhite for the second palette.
  function graphSvg(graph, options) {
    const ink = kPalettes[options && options.blackAndWhite ? 'blackAndWhite' : 'colour'];
    const parts = [];
    parts.push(`<rect x="0" y="0" width="${kCanvasWidth}" height="${kCanvasHeight}" fill="${ink.canvas}"/>`);
    parts.push(text(78, 0, graph.title1, ink.canvasText, 13));
    parts.push(text(20, 445, graph.programLine, ink.canvasText));
    parts.push(`<rect x="20" y="19" width="585" height="426" fill="${ink.panel}"/>`);
    parts.push(text(80, 20, graph.title2, ink.secondTitle));
    parts.push(text(470, 415, graph.distanceCaption, ink.label));
    parts.push(text(70, 50, graph.heightCaption, ink.label));
    parts.push(text(82, 65, graph.legendDarcy, ink.darcy));
    parts.push(text(86, 80, graph.legendEnergy, ink.energy));
    if (graph.requestedLegend) parts.push(text(86, 95, graph.legendRequested, ink.requested));
    parts.push(line(kPlotLeft, kPlotBottom, kPlotLeft, kPlotTop, ink.axis));
    parts.push(line(kPlotLeft, kPlotBottom, kPlotRight, kPlotBottom, ink.axis));
    for (const tick of graph.heightTicks) {
      parts.push(line(kPlotLeft, tick.pixel, kPlotLeft - 4, tick.pixel, ink.axis));
      parts.push(text(kPlotLeft - 6, tick.pixel - 7, tick.label.trim(), ink.label, 11, 'end'));
    }
    for (const tick of graph.distanceTicks) {
      parts.push(line(tick.pixel, kPlotBottom, tick.pixel, kPlotBottom + 4, ink.axis));
      parts.push(text(tick.labelLeft, 402, tick.label, ink.label));
    }
    const requestedRows = graph.requested === 'energy' ? graph.pixelYEnergy : graph.pixelYDarcy;
    for (let i = graph.segments.first; i <= graph.segments.last; ++i) {
      parts.push(line(graph.pixelX[i - 1], requestedRows[i - 1] + 8, graph.pixelX[i],
        requestedRows[i] + 8, ink.requested, true));
    }
    // A marker stands on a box of the panel's colour, as the desktop draws
    // text, so the requested line stops at its markers.
    const markers = (range, rows, mark, colour) => {
      for (let i = range.first; i <= range.last; ++i) {
        parts.push(`<rect x="${graph.pixelX[i]}" y="${rows[i]}" width="6" height="13" fill="${ink.panel}"/>`);
        parts.push(text(graph.pixelX[i], rows[i], mark, colour));
      }
    };
    markers(graph.darcyMarkers, graph.pixelYDarcy, 'x', ink.darcy);
    markers(graph.energyMarkers, graph.pixelYEnergy, 'o', ink.energy);
    return `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 ${kCanvasWidth} ${kCanvasHeight}" ` +
      `width="${kCanvasWidth}" height="${kCanvasHeight}" font-family="Liberation Sans, Arial, Helvetica, sans-serif" ` +
      `role="img" aria-label="${escapeXml('Water table: ' + graph.title1)}">` +
      `<svg x="0" y="0" width="${kCanvasWidth}" height="${kCanvasHeight}" overflow="hidden">` +
      parts.join('') + '</svg></svg>';
  }

  exports.graphSvg = graphSvg;
})(typeof module !== 'undefined' ? module.exports : (self.PelorinGraph = {}));
