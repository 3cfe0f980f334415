// Hands every form the page submits to the web wrapper instead of letting the
// browser send it: the wrapper needs the fields, and it decides whether the
// form is sent at all. A submission the page's own handlers cancel (for
// example an onsubmit that returns false) is not handed over.
(function () {
  'use strict';
  var bridge = null;
  var waiting = [];

  function deliver(item) {
    if (bridge) bridge.submit(item.action, item.method, item.body);
    else waiting.push(item);  // the channel answers shortly after the document starts
  }

  try {
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.orloForms;
      var queued = waiting;
      waiting = [];
      queued.forEach(deliver);
    });
  } catch (e) {
    // Without the channel no form can be delivered; the wrapper refuses the
    // browser's own submissions, so nothing is sent behind its back either.
  }

  function snapshot(form, submitter) {
    var data = new FormData(form);
    if (submitter && submitter.name) data.append(submitter.name, submitter.value);
    var body = new URLSearchParams(data).toString();
    var own = function (name) { return submitter && submitter.hasAttribute(name); };
    var action = own('formaction') ? submitter.formAction : form.action;
    var method = String(own('formmethod') ? submitter.formMethod : form.method).toLowerCase();
    if (method === 'post') return { action: action, method: 'post', body: body };
    // A GET form replaces the query of its target with its fields.
    var url = new URL(action);
    url.search = body;
    return { action: url.href, method: 'get', body: '' };
  }

  // Seen first (capture phase on the window), decided last: after the page's
  // own handlers, by a listener added now at the end of the window's list, or
  // right after the event when a handler stopped its propagation.
  window.addEventListener('submit', function (event) {
    var form = event.target;
    if (!(form instanceof HTMLFormElement)) return;
    var decided = false;
    var last = function (e) { if (e === event) decide(); };
    var decide = function () {
      if (decided) return;
      decided = true;
      window.removeEventListener('submit', last, false);
      if (event.defaultPrevented) return;
      event.preventDefault();
      deliver(snapshot(form, event.submitter));
    };
    window.addEventListener('submit', last, false);
    setTimeout(decide, 0);
  }, true);

  // form.submit() sends without a submit event.
  HTMLFormElement.prototype.submit = function () { deliver(snapshot(this, null)); };
})();
