#include "audit_page_assets.h"

namespace vortaxel::audit {

const std::string_view kAuditPageStyle = R"CSS(
body{font:14px/1.4 system-ui,sans-serif;margin:0;color:#1d232a;background:#f6f7f9}
header,main>section{padding:12px 24px}
header{background:#22313f;color:#fff}
header h1{margin:0 0 4px;font-size:22px}
header p{margin:0;overflow-wrap:anywhere}
nav a{color:#cfe3ff;margin-right:14px}
h2{font-size:18px;margin:8px 0}
.cards{display:flex;flex-wrap:wrap;gap:8px}
.card{background:#fff;border:1px solid #d8dde3;border-radius:6px;padding:8px 12px;min-width:110px}
.card .num{display:block;font-size:22px;font-weight:600}
.card .label{color:#56606b;font-size:12px}
.card.bad .num{color:#b3261e}
.charts{display:flex;flex-wrap:wrap;gap:12px}
figure{margin:0;background:#fff;border:1px solid #d8dde3;border-radius:6px;padding:6px}
figcaption{font-weight:600;margin:0 0 4px 6px}
svg.chart text{font-size:10px;fill:#39424c}
svg.chart .bar{fill:#3b7dd8}
svg.chart .line{fill:none;stroke:#3b7dd8;stroke-width:2}
svg.chart .axis{stroke:#9aa4ae}
details{background:#fff;border:1px solid #d8dde3;border-radius:6px;margin:6px 0;padding:4px 10px}
summary{cursor:pointer;font-weight:600}
.tools{display:flex;gap:8px;align-items:center;margin:6px 0;flex-wrap:wrap}
.tools input{min-width:260px;padding:3px 6px}
.scroll{overflow-x:auto;background:#fff;border:1px solid #d8dde3}
table{border-collapse:collapse;font-size:13px;width:max-content;min-width:100%}
th,td{border-bottom:1px solid #e6e9ed;padding:3px 6px;text-align:left;vertical-align:top;max-width:420px;overflow-wrap:anywhere}
th{background:#eef1f4;position:sticky;top:0;white-space:nowrap}
td{min-width:2em}
th button{all:unset;cursor:pointer;font-weight:600}
td.n{text-align:right;font-variant-numeric:tabular-nums}
.note{color:#56606b}
details.issue>summary::before{content:attr(data-severity);display:inline-block;min-width:62px;margin-right:8px;padding:0 6px;border-radius:4px;font-size:12px;font-weight:600;text-align:center}
details.issue.error>summary::before{background:#f9dedc;color:#8c1d18}
details.issue.warning>summary::before{background:#fdefc3;color:#6b4e00}
details.issue.notice>summary::before{background:#e3ecf7;color:#1f4f8a}
td details{background:none;border:0;margin:0;padding:0}
td ul{margin:4px 0;padding-left:18px}
)CSS";

const std::string_view kAuditPageScript = R"JS(
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('audit-data').textContent);
  var P = {url: 0, status: 1, finalUrl: 2, type: 3, error: 4, depth: 5, title: 6, desc: 7, h1: 8, h1Count: 9,
    canonical: 10, robots: 11, indexability: 12, words: 13, inlinks: 14, outlinks: 15, chain: 16, sitemap: 17,
    ms: 18, bytes: 19, found: 20, noAlt: 21, sitemapProblem: 22};
  var L = {source: 0, target: 1, anchor: 2, element: 3, rel: 4, follow: 5, status: 6, error: 7};
  // The data writes repeated words once and refers to pages by row; spell them out again.
  var words = data.words;
  data.pages.forEach(function (p) {
    if (p[P.finalUrl] === 0) p[P.finalUrl] = p[P.url];
    if (p[P.canonical] === 0) p[P.canonical] = p[P.url];
    p[P.type] = words[p[P.type]];
    p[P.robots] = words[p[P.robots]];
    p[P.indexability] = words[p[P.indexability]];
    p[P.sitemapProblem] = words[p[P.sitemapProblem]];
  });
  data.links.forEach(function (l) {
    if (typeof l[L.source] === 'number') l[L.source] = data.pages[l[L.source]][P.url];
    if (typeof l[L.target] === 'number') l[L.target] = data.pages[l[L.target]][P.url];
    l[L.element] = words[l[L.element]];
    l[L.rel] = words[l[L.rel]];
  });
  var PAGE_SIZE = 100;

  function el(tag, text, cls) {
    var e = document.createElement(tag);
    if (text !== undefined && text !== null) e.textContent = String(text);
    if (cls) e.className = cls;
    return e;
  }
  // Only web addresses become links: "javascript:", "data:" and the like stay text.
  function webAddress(u) { return typeof u === 'string' && /^https?:\/\//i.test(u) ? u : null; }
  function cell(value, kind) {
    var td = el('td');
    if (kind === 'sources') {
      // The pages holding the links, folded under a count that opens into them.
      var fold = el('details');
      fold.appendChild(el('summary', value.length + (value.length === 1 ? ' page' : ' pages')));
      var list = el('ul');
      value.forEach(function (l) {
        var item = el('li');
        var page = webAddress(l[L.source]) ? el('a', l[L.source]) : el('span', l[L.source]);
        if (page.tagName === 'A') { page.href = l[L.source]; page.rel = 'noopener noreferrer'; page.target = '_blank'; }
        item.appendChild(page);
        if (l[L.anchor] !== '') item.appendChild(el('span', ' “' + l[L.anchor] + '”', 'note'));
        list.appendChild(item);
      });
      fold.appendChild(list);
      td.appendChild(fold);
    } else if (kind === 'url' && webAddress(value)) {
      var a = el('a', value);
      a.href = webAddress(value);
      a.rel = 'noopener noreferrer';
      a.target = '_blank';
      td.appendChild(a);
    } else {
      td.textContent = value === null || value === undefined ? '' : String(value);
      if (kind === 'num') td.className = 'n';
    }
    return td;
  }
  function compare(a, b) {
    if (a === b) return 0;
    if (a === null || a === undefined || a === '') return 1;
    if (b === null || b === undefined || b === '') return -1;
    return a < b ? -1 : 1;
  }

  // A table over rows of arrays, sorted by a click on a column's head, filtered by the text box (every
  // column) and an optional choice, shown a page of rows at a time so that 100,000 rows stay quick.
  function Table(host, name, columns, rows, choice) {
    var tools = el('div', null, 'tools');
    var search = el('input');
    search.type = 'search';
    search.placeholder = 'Filter';
    search.setAttribute('aria-label', 'Filter ' + name);
    tools.appendChild(search);
    var select = null;
    if (choice) {
      select = el('select');
      select.setAttribute('aria-label', choice.label);
      select.appendChild(el('option', choice.all));
      choice.values.forEach(function (v) { select.appendChild(el('option', v)); });
      tools.appendChild(select);
    }
    var prev = el('button', 'Previous');
    var next = el('button', 'Next');
    var info = el('span', '', 'note');
    info.setAttribute('aria-live', 'polite');
    tools.appendChild(prev);
    tools.appendChild(next);
    tools.appendChild(info);
    host.appendChild(tools);
    var scroll = el('div', null, 'scroll');
    var table = el('table');
    table.setAttribute('aria-label', name);
    var head = el('tr');
    var sortColumn = -1, sortDown = false;
    columns.forEach(function (c, i) {
      var th = el('th');
      var b = el('button', c.name);
      b.addEventListener('click', function () {
        sortDown = sortColumn === i ? !sortDown : false;
        sortColumn = i;
        head.querySelectorAll('th').forEach(function (t) { t.removeAttribute('aria-sort'); });
        th.setAttribute('aria-sort', sortDown ? 'descending' : 'ascending');
        apply();
      });
      th.appendChild(b);
      head.appendChild(th);
    });
    var thead = el('thead');
    thead.appendChild(head);
    table.appendChild(thead);
    var body = el('tbody');
    table.appendChild(body);
    scroll.appendChild(table);
    host.appendChild(scroll);

    var haystack = null;
    var shown = rows;
    var first = 0;
    function value(row, c) { return c.get ? c.get(row) : row[c.index]; }
    function apply() {
      var needle = search.value.toLowerCase();
      var picked = select && select.selectedIndex > 0 ? select.value : null;
      if (needle && !haystack) {
        haystack = rows.map(function (r) {
          return columns.map(function (c) {
            var v = value(r, c);
            if (c.kind === 'sources') return v.map(function (l) { return l[L.source]; }).join(' ');
            return v === null ? '' : String(v);
          })
            .join('\u0001').toLowerCase();
        });
      }
      shown = [];
      for (var i = 0; i < rows.length; i++) {
        if (picked !== null && !choice.test(rows[i], picked)) continue;
        if (needle && haystack[i].indexOf(needle) < 0) continue;
        shown.push(rows[i]);
      }
      if (sortColumn >= 0) {
        var c = columns[sortColumn];
        var keyed = shown.map(function (r, i) { return [value(r, c), i, r]; });
        keyed.sort(function (a, b) { return (sortDown ? -compare(a[0], b[0]) : compare(a[0], b[0])) || a[1] - b[1]; });
        shown = keyed.map(function (k) { return k[2]; });
      }
      first = 0;
      draw();
    }
    function draw() {
      var frag = document.createDocumentFragment();
      var end = Math.min(shown.length, first + PAGE_SIZE);
      for (var i = first; i < end; i++) {
        var tr = el('tr');
        for (var j = 0; j < columns.length; j++) tr.appendChild(cell(value(shown[i], columns[j]), columns[j].kind));
        frag.appendChild(tr);
      }
      body.textContent = '';
      body.appendChild(frag);
      info.textContent = shown.length ? 'Rows ' + (first + 1) + '\u2013' + end + ' of ' + shown.length : 'No rows';
      prev.disabled = first === 0;
      next.disabled = end >= shown.length;
    }
    var timer = 0;
    search.addEventListener('input', function () { clearTimeout(timer); timer = setTimeout(apply, 150); });
    if (select) select.addEventListener('change', apply);
    prev.addEventListener('click', function () { first = Math.max(0, first - PAGE_SIZE); draw(); });
    next.addEventListener('click', function () { if (first + PAGE_SIZE < shown.length) { first += PAGE_SIZE; draw(); } });
    draw();
  }

  var pages = data.pages, links = data.links;
  function hasText(p) {
    var x = p[P.indexability];
    return x === 'indexable' || x === 'noindex' || x === 'canonicalised';
  }
  function linkStatus(l) { return l[L.status] !== null ? l[L.status] : l[L.error]; }
  // A link robots.txt keeps the crawl from is blocked, not broken: nothing was asked of its target.
  function blocked(l) { return l[L.error] === 'blocked by robots.txt'; }
  function broken(l) { return !blocked(l) && ((l[L.status] !== null && l[L.status] >= 400) || l[L.error] !== ''); }
  function hops(p) { return p[P.chain] === '' ? 0 : p[P.chain].split(' -> ').length; }
  function chars(text) { return Array.from(text).length; }
  var lengths = data.lengths;
  function lengthNote(text, shortest, longest) {
    var n = chars(text);
    return n > longest ? n + ' characters, over ' + longest : n < shortest ? n + ' characters, under ' + shortest : '';
  }
  function tooLong(field, longest) {
    return function (p) { return hasText(p) && chars(p[field]) > longest; };
  }
  function tooShort(field, shortest) {
    return function (p) { return hasText(p) && p[field] !== '' && chars(p[field]) < shortest; };
  }
  function duplicates(field) {
    var count = new Map();
    pages.forEach(function (p) { if (hasText(p) && p[field] !== '') count.set(p[field], (count.get(p[field]) || 0) + 1); });
    return pages.filter(function (p) { return hasText(p) && count.get(p[field]) > 1; })
      .sort(function (a, b) { return compare(a[field], b[field]); });
  }
  // Each broken address once, with the pages that link to it folded under it.
  function byTarget(list) {
    var groups = new Map();
    list.forEach(function (l) {
      var g = groups.get(l[L.target]);
      if (!g) { g = [l[L.target], linkStatus(l), []]; groups.set(l[L.target], g); }
      g[2].push(l);
    });
    return Array.from(groups.values()).sort(function (a, b) { return b[2].length - a[2].length || compare(a[0], b[0]); });
  }
  var sourcesColumn = {name: 'Linked from', get: function (g) { return g[2]; }, kind: 'sources'};
  var urlColumn = {name: 'Address', index: P.url, kind: 'url'};
  function filter(test) { return pages.filter(test); }
  var checks = {
    'broken-link': {note: 'each address that answered 4xx or 5xx or failed, with every page that links to it',
      rows: byTarget(links.filter(broken)), columns: [{name: 'Broken address', index: 0, kind: 'url'},
        {name: 'Status', index: 1}, {name: 'Links', get: function (g) { return g[2].length; }, kind: 'num'},
        sourcesColumn]},
    'client-error': {rows: filter(function (p) { return p[P.status] >= 400 && p[P.status] < 500; }),
      columns: [urlColumn, {name: 'Status', index: P.status, kind: 'num'}, {name: 'Inlinks', index: P.inlinks, kind: 'num'}]},
    'server-error': {rows: filter(function (p) { return p[P.status] >= 500; }),
      columns: [urlColumn, {name: 'Status', index: P.status, kind: 'num'}, {name: 'Inlinks', index: P.inlinks, kind: 'num'}]},
    'no-answer': {rows: filter(function (p) { return p[P.status] === null && p[P.indexability] !== 'blocked by robots.txt'; }), columns: [urlColumn, {name: 'Reason', index: P.error}]},
    'missing-title': {rows: filter(function (p) { return hasText(p) && p[P.title] === ''; }), columns: [urlColumn]},
    'redirect-chain': {note: 'two redirects or more before the page', rows: filter(function (p) { return hops(p) > 1; }),
      columns: [urlColumn, {name: 'Hops', index: P.chain}, {name: 'Final address', index: P.finalUrl, kind: 'url'}]},
    'duplicate-title': {rows: duplicates(P.title), columns: [{name: 'Title', index: P.title}, urlColumn]},
    'missing-description': {rows: filter(function (p) { return hasText(p) && p[P.desc] === ''; }), columns: [urlColumn]},
    'missing-h1': {rows: filter(function (p) { return hasText(p) && p[P.h1Count] === 0; }), columns: [urlColumn]},
    'invalid-canonical': {note: 'a canonical that is no web address, which search engines ignore',
      rows: filter(function (p) { return p[P.canonical] !== '' && !webAddress(p[P.canonical]); }),
      columns: [urlColumn, {name: 'Canonical', index: P.canonical}]},
    'title-too-long': {note: 'over ' + lengths[1] + ' characters', rows: filter(tooLong(P.title, lengths[1])),
      columns: [urlColumn, {name: 'Title', index: P.title},
        {name: 'Length', get: function (p) { return lengthNote(p[P.title], lengths[0], lengths[1]); }}]},
    'image-without-alt': {rows: filter(function (p) { return p[P.noAlt] > 0; }),
      columns: [urlColumn, {name: 'Images without alt', index: P.noAlt, kind: 'num'}]},
    'duplicate-description': {rows: duplicates(P.desc), columns: [{name: 'Meta description', index: P.desc}, urlColumn]},
    'redirect': {note: 'one redirect before the page', rows: filter(function (p) { return hops(p) === 1; }),
      columns: [urlColumn, {name: 'Hop', index: P.chain}, {name: 'Final address', index: P.finalUrl, kind: 'url'}]},
    'blocked-link': {note: 'links to addresses robots.txt keeps the crawl from, with every page that links to them',
      rows: byTarget(links.filter(blocked)), columns: [{name: 'Blocked address', index: 0, kind: 'url'},
        {name: 'Links', get: function (g) { return g[2].length; }, kind: 'num'}, sourcesColumn]},
    'title-too-short': {note: 'under ' + lengths[0] + ' characters', rows: filter(tooShort(P.title, lengths[0])),
      columns: [urlColumn, {name: 'Title', index: P.title},
        {name: 'Length', get: function (p) { return lengthNote(p[P.title], lengths[0], lengths[1]); }}]},
    'description-too-long': {note: 'over ' + lengths[3] + ' characters', rows: filter(tooLong(P.desc, lengths[3])),
      columns: [urlColumn, {name: 'Meta description', index: P.desc},
        {name: 'Length', get: function (p) { return lengthNote(p[P.desc], lengths[2], lengths[3]); }}]},
    'description-too-short': {note: 'under ' + lengths[2] + ' characters', rows: filter(tooShort(P.desc, lengths[2])),
      columns: [urlColumn, {name: 'Meta description', index: P.desc},
        {name: 'Length', get: function (p) { return lengthNote(p[P.desc], lengths[2], lengths[3]); }}]},
    'several-h1': {rows: filter(function (p) { return hasText(p) && p[P.h1Count] > 1; }),
      columns: [urlColumn, {name: 'H1s', index: P.h1Count, kind: 'num'}]},
    'noindex': {rows: filter(function (p) { return p[P.indexability] === 'noindex'; }), columns: [urlColumn, {name: 'Robots', index: P.robots}]},
    'canonicalised': {rows: filter(function (p) { return p[P.indexability] === 'canonicalised'; }),
      columns: [urlColumn, {name: 'Canonical', index: P.canonical, kind: 'url'}]},
    'sitemap-error': {note: 'addresses a sitemap lists that answer with no page: a sitemap should list only pages to index',
      rows: filter(function (p) { return p[P.sitemapProblem] !== ''; }),
      columns: [urlColumn, {name: 'Listed in a sitemap but', index: P.sitemapProblem},
        {name: 'Final address', index: P.finalUrl, kind: 'url'}]},
    'orphan': {note: 'listed in a sitemap, linked from no page crawled',
      rows: filter(function (p) {
        return p[P.sitemap] === 1 && p[P.inlinks] === 0 && p[P.url] !== data.startUrl && p[P.sitemapProblem] === '';
      }),
      columns: [urlColumn]}
  };
  // The kinds come in the order and with the severity the report's issues have too.
  var issues = [];
  Object.keys(data.kinds).forEach(function (id) {
    if (!checks[id]) return;
    var c = checks[id];
    issues.push({id: id, title: data.kinds[id][0], severity: data.kinds[id][1], note: c.note, rows: c.rows,
      columns: c.columns, grouped: c.columns.indexOf(sourcesColumn) >= 0});
  });
  var issueHost = document.getElementById('issue-list');
  var found = 0;
  issues.forEach(function (issue) {
    if (!issue.rows.length) return;
    found++;
    var d = el('details');
    d.className = 'issue ' + issue.severity;
    d.setAttribute('data-kind', issue.id);
    // Grouped rows count what they group: the overview's broken links are links, not addresses.
    var count = issue.grouped ? issue.rows.reduce(function (n, g) { return n + g[2].length; }, 0) : issue.rows.length;
    var s = el('summary', issue.title + ' (' + count + ')');
    s.setAttribute('data-severity', issue.severity);
    d.appendChild(s);
    if (issue.note) d.appendChild(el('p', issue.note, 'note'));
    var built = false;
    d.addEventListener('toggle', function () {
      if (d.open && !built) { built = true; Table(d, issue.title, issue.columns, issue.rows); }
    });
    issueHost.appendChild(d);
  });
  if (!found) issueHost.appendChild(el('p', 'No issues found.', 'note'));

  var indexabilityValues = [];
  pages.forEach(function (p) { if (indexabilityValues.indexOf(p[P.indexability]) < 0) indexabilityValues.push(p[P.indexability]); });
  Table(document.getElementById('page-table'), 'Pages', [
    urlColumn, {name: 'Status', index: P.status, kind: 'num'}, {name: 'Indexability', index: P.indexability},
    {name: 'Title', index: P.title}, {name: 'Meta description', index: P.desc}, {name: 'H1', index: P.h1},
    {name: 'H1s', index: P.h1Count, kind: 'num'}, {name: 'Canonical', index: P.canonical, kind: 'url'},
    {name: 'Robots', index: P.robots}, {name: 'Depth', get: function (p) { return p[P.depth] < 0 ? '' : p[P.depth]; }, kind: 'num'},
    {name: 'Words', index: P.words, kind: 'num'}, {name: 'Inlinks', index: P.inlinks, kind: 'num'},
    {name: 'Outlinks', index: P.outlinks, kind: 'num'}, {name: 'Redirects', index: P.chain},
    {name: 'Final address', index: P.finalUrl, kind: 'url'}, {name: 'In sitemap', get: function (p) { return p[P.sitemap] ? 'yes' : 'no'; }},
    {name: 'ms', index: P.ms, kind: 'num'}, {name: 'Bytes', index: P.bytes, kind: 'num'},
    {name: 'Content type', index: P.type}, {name: 'Error', index: P.error}
  ], pages, {label: 'Indexability', all: 'Any indexability', values: indexabilityValues,
    test: function (p, v) { return p[P.indexability] === v; }});
  Table(document.getElementById('link-table'), 'Links', [
    {name: 'Source', index: L.source, kind: 'url'}, {name: 'Target', index: L.target, kind: 'url'},
    {name: 'Anchor', index: L.anchor}, {name: 'Element', index: L.element}, {name: 'Rel', index: L.rel},
    {name: 'Followed', get: function (l) { return l[L.follow] ? 'yes' : 'no'; }}, {name: 'Status', get: linkStatus}
  ], links, {label: 'Link status', all: 'Every link', values: ['Broken'], test: function (l) { return broken(l); }});
  if (data.linksTotal > links.length) {
    document.getElementById('link-note').textContent = 'Showing ' + links.length + ' of ' + data.linksTotal +
      ' links, the broken ones first; the links file of the run holds them all.';
  }
)JS";

const std::string_view kAuditPageKeywordScript =
    R"JS(  // The keyword section, on a page that has one: its rows name pages by row, as the links do.
  if (data.keywords) (function (kw) {
    function address(a) { return typeof a === 'number' ? pages[a][P.url] : a; }
    // A list of pages folds as a broken link's sources do, each page in a link's place with no anchor.
    function folded(list) { return list.map(function (a) { var l = []; l[L.source] = address(a); l[L.anchor] = ''; return l; }); }
    var K = {rank: 0, phrase: 1, score: 2, pages: 3, titles: 4, h1: 5, anchors: 6, best: 7, competing: 8,
      competingTotal: 9, lang: 10};
    kw.phrases.forEach(function (r) {
      r[K.best] = address(r[K.best]);
      r[K.competing] = folded(r[K.competing]);
      r[K.lang] = words[r[K.lang]];
    });
    var phrase = {name: 'Phrase', index: K.phrase}, score = {name: 'Score', index: K.score, kind: 'num'};
    var best = {name: 'Best page', index: K.best, kind: 'url'};
    Table(document.getElementById('keyword-table'), 'Key phrases', [
      {name: 'Rank', index: K.rank, kind: 'num'}, phrase, score, {name: 'Pages', index: K.pages, kind: 'num'},
      {name: 'In titles', index: K.titles, kind: 'num'}, {name: 'In H1', index: K.h1, kind: 'num'},
      {name: 'In anchors', index: K.anchors, kind: 'num'}, best,
      {name: 'Competing pages', index: K.competingTotal, kind: 'num'}, {name: 'Lang', index: K.lang}
    ], kw.phrases.filter(function (r) { return r[K.rank] <= kw.tableRows; }));
    var cannibalised = kw.phrases.filter(function (r) { return r[K.competingTotal] > 0; });
    var cannibalHost = document.getElementById('cannibal-table');
    if (cannibalised.length) {
      Table(cannibalHost, 'Cannibalised phrases', [phrase, score, best,
        {name: 'Competing', index: K.competingTotal, kind: 'num'},
        {name: 'Competing pages', index: K.competing, kind: 'sources'}], cannibalised);
    } else {
      cannibalHost.appendChild(el('p', 'No phrase is the target of more than one page.', 'note'));
    }
    kw.clusters.forEach(function (c) { c[1] = address(c[1]); c[2] = folded(c[2]); });
    var clusterHost = document.getElementById('cluster-table');
    if (kw.clusters.length) {
      Table(clusterHost, 'Topic clusters', [{name: 'Cluster', index: 0}, {name: 'Hub', index: 1, kind: 'url'},
        {name: 'Size', index: 3, kind: 'num'}, {name: 'Pages', index: 2, kind: 'sources'}], kw.clusters);
    } else {
      clusterHost.appendChild(el('p', 'No pages share enough key phrases to form a cluster.', 'note'));
    }
    if (kw.gap) {
      var statuses = [];
      kw.gap.forEach(function (g) {
        g[3] = words[g[3]];
        g[4] = address(g[4]);
        g[5] = address(g[5]);
        if (statuses.indexOf(g[3]) < 0) statuses.push(g[3]);
      });
      Table(document.getElementById('gap-table'), 'Keyword gap', [{name: 'Phrase', index: 0},
        {name: 'Theirs', index: 1, kind: 'num'}, {name: 'Mine', index: 2, kind: 'num'}, {name: 'Status', index: 3},
        {name: 'Their best page', index: 4, kind: 'url'}, {name: 'My best page', index: 5, kind: 'url'}], kw.gap,
        {label: 'Gap status', all: 'Any status', values: statuses, test: function (g, v) { return g[3] === v; }});
    }
  })(data.keywords);
)JS";

const std::string_view kAuditPageScriptEnd =
    R"JS(  document.documentElement.setAttribute('data-rendered', String(Math.round(performance.now())));
})();
)JS";

} // namespace vortaxel::audit
