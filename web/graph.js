// The water tables of a report as SVG, laid out as the desktop graph: the
// canvas, the titles, the plot panel with its axes, ticks and labels, the "x"
// markers of the Darcy table, the "o" markers of the energy balance and the
// dotted requested line. The frame, the palettes and the footer come from the
// program's tables (tables.js); every position of the profile from the graph
// scales of the WebAssembly module (graphOfReport).
'use strict';

(function (exports) {
  const frame = (globalThis.PelorinTables || require('./tables.js')).graph;

  function escapeXml(text) {
    return String(text).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
  }

  // A text whose box has its top-left corner at (left, top), as the desktop
  // places it; `anchor` 'end' puts the right edge there instead.
  function text(left, top, content, ink, size, anchor) {
    const px = size || frame.smallFontPixels;
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
    const ink = frame.inks[options && options.blackAndWhite ? 'blackAndWhite' : 'colour'];
    const at = (place, content, colour, size) => text(place.x, place.y, content, colour, size);
    const panel = frame.panel;
    const parts = [];
    parts.push(`<rect x="0" y="0" width="${frame.canvasWidth}" height="${frame.canvasHeight}" fill="${ink.canvas}"/>`);
    parts.push(at(frame.title1At, graph.title1, ink.canvasText, frame.largeFontPixels));
    parts.push(at(frame.footerAt, frame.footer, ink.canvasText));
    parts.push(`<rect x="${panel.left}" y="${panel.top}" width="${panel.right - panel.left + 1}" ` +
      `height="${panel.bottom - panel.top + 1}" fill="${ink.panel}"/>`);
    parts.push(at(frame.title2At, graph.title2, ink.secondTitle));
    parts.push(at(frame.distanceCaptionAt, graph.distanceCaption, ink.label));
    parts.push(at(frame.heightCaptionAt, graph.heightCaption, ink.label));
    parts.push(at(frame.legendDarcyAt, graph.legendDarcy, ink.darcy));
    parts.push(at(frame.legendEnergyAt, graph.legendEnergy, ink.energy));
    if (graph.requestedLegend) parts.push(at(frame.legendRequestedAt, graph.legendRequested, ink.requested));
    const { plotLeft, plotBottom, plotRight, plotTop, tickLength } = frame;
    parts.push(line(plotLeft, plotBottom, plotLeft, plotTop, ink.axis));
    parts.push(line(plotLeft, plotBottom, plotRight, plotBottom, ink.axis));
    // A height label is centred on its tick: half the height of a line of the
    // small font above it (the desktop measures the font; 7 pixels here).
    for (const tick of graph.heightTicks) {
      parts.push(line(plotLeft, tick.pixel, plotLeft - tickLength, tick.pixel, ink.axis));
      parts.push(text(plotLeft - frame.heightLabelGap, tick.pixel - 7, tick.label.trim(), ink.label,
        frame.smallFontPixels, 'end'));
    }
    for (const tick of graph.distanceTicks) {
      parts.push(line(tick.pixel, plotBottom, tick.pixel, plotBottom + tickLength, ink.axis));
      parts.push(text(tick.labelLeft, frame.distanceLabelTop, tick.label, ink.label));
    }
    const requestedRows = graph.requested === 'energy' ? graph.pixelYEnergy : graph.pixelYDarcy;
    for (let i = graph.segments.first; i <= graph.segments.last; ++i) {
      parts.push(line(graph.pixelX[i - 1], requestedRows[i - 1] + frame.requestedLineBelow, graph.pixelX[i],
        requestedRows[i] + frame.requestedLineBelow, ink.requested, true));
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
    const width = frame.canvasWidth;
    const height = frame.canvasHeight;
    return `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 ${width} ${height}" ` +
      `width="${width}" height="${height}" font-family="Liberation Sans, Arial, Helvetica, sans-serif" ` +
      `role="img" aria-label="${escapeXml('Water table: ' + graph.title1)}">` +
      `<svg x="0" y="0" width="${width}" height="${height}" overflow="hidden">` +
      parts.join('') + '</svg></svg>';
  }

  exports.graphSvg = graphSvg;
})(typeof module !== 'undefined' ? module.exports : (self.PelorinGraph = {}));
